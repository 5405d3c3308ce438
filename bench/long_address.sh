#!/usr/bin/env bash
# The whole program beside a 1.9 MB address. First run: a local page sends the window to an address of
# 1.9 MB on the loopback server; the script then reads from the history file whether it was kept.
# Second run (a restart): the history holds such an address (put there as a store written before
# addresses were bounded would hold it); three keys are typed into the address box, which has the
# focus at start, and the script reports how long the program was busy with them and its CPU time.
#
#   bench/long_address.sh [program]     (default: build/bin/brivo)
#
# Needs Xvfb and openbox; keys are sent through the X server's XTEST extension.
set -euo pipefail
# shellcheck source=bench/whole_process.sh
source "$(dirname "$0")/whole_process.sh"
program="$(realpath "${1:-$root/build/bin/brivo}")"
for tool in Xvfb openbox; do
  command -v "$tool" > /dev/null || {
    echo "skipped: $tool is not installed"
    exit 77
  }
done
tick="$(getconf CLK_TCK)"
history_file() { echo "$work/home/.local/share/brivo/History/History.sqlite"; }

bench_setup "$program"
bench_start_xvfb
bench_start_server
DISPLAY="$display" openbox > /dev/null 2>&1 &
wm_pid=$!
trap 'kill $wm_pid 2> /dev/null; bench_cleanup' EXIT

base="http://127.0.0.1:$server_port"
# the page's script goes to an address of 1.9 MB; the server answers it with an error page
printf '<!DOCTYPE html><html><head><title>Long</title></head><body><script>
setTimeout(function () { location.href = "/page2.html?" + "a".repeat(1900 * 1024); }, 300);
</script></body></html>\n' > "$work/pages/long.html"

# ---- first run: the navigation
bench_write_opened "$base/long.html"
bench_start_program "$work/out-1.txt"
bench_wait_requests /mark/loaded/long.html 1 30 > /dev/null || true
sleep 6
bench_require_running "$work/out-1.txt"
bench_stop_program
longest="$(python3 - "$(history_file)" << 'EOF'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
print(db.execute("SELECT COALESCE(MAX(length(url)), 0) FROM pages").fetchone()[0])
EOF
)"
echo "first run: the longest address in the history has $longest characters"

# ---- second run: keys typed beside a 1.9 MB address in the history
run_with_history() {
  python3 - "$1" "$base" << 'EOF'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
url = sys.argv[2] + "/page3.html?" + "a" * (1900 * 1024)
db.execute("INSERT OR IGNORE INTO pages(url, title, last_visit, visit_count, site) VALUES(?, 'Long', 0, 9, '127.0.0.1')", (url,))
db.commit()
EOF
}
# the profile of the first run is kept: the restart reads its history
keep="$work/home-1"
rm -rf "$keep"
cp -a "$work/home" "$keep"
run_with_history "$(history_file)"
bench_write_opened "$base/page1.html"
# bench_start_program makes a fresh home: start with the kept one instead
rm -rf "${work:?}/home"
cp -a "$keep" "$work/home"
DISPLAY="$display" QT_QPA_PLATFORM=xcb HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" \
  "${in_net[@]}" "$work/bin/brivo" > "$work/out-2.txt" 2>&1 &
app_pid=$!
bench_wait_requests /mark/shown/page1.html 1 30 > /dev/null || true
sleep 3
bench_require_running "$work/out-2.txt"

# Sends the keys, then waits until the program has used no CPU for half a second; prints the
# seconds from the first key to the last busy moment and the CPU seconds used.
python3 - "$display" "$app_pid" "$tick" 127 << 'EOF'
import ctypes, sys, time
display, pid, hz, text = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.restype = ctypes.c_ubyte
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
d = x11.XOpenDisplay(display.encode())
if not d:
    sys.exit("no display")

def ticks():
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])

start_ticks = ticks()
start = time.monotonic()
for ch in text:
    code = x11.XKeysymToKeycode(d, x11.XStringToKeysym(ch.encode()))
    xtst.XTestFakeKeyEvent(d, code, 1, 0)
    xtst.XTestFakeKeyEvent(d, code, 0, 0)
    x11.XFlush(d)
    time.sleep(0.1)
last_busy, seen = time.monotonic(), ticks()
while time.monotonic() - last_busy < 0.5 and time.monotonic() - start < 60:
    time.sleep(0.05)
    now = ticks()
    if now != seen:
        seen, last_busy = now, time.monotonic()
print(f"second run: {len(text)} keys typed into the address box; busy for {last_busy - start:.2f} s, "
      f"{(seen - start_ticks) / hz:.2f} s of CPU")
EOF
bench_stop_program
