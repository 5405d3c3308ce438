#!/usr/bin/env bash
# The logo animation on a real X screen (a virtual screen with openbox): its corner of the main window
# keeps changing through the clip's frames, and shows the blue globe in its own colours. Every wait
# is bounded.
set -u
program="$1"
for tool in Xvfb openbox wmctrl xwininfo python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/virtual_screen.sh"
fail() { echo "$1"; tail -20 "$work/out.txt" 2>/dev/null; exit 1; }

cp "$program" "$work/brivo"
printf '<html><head><title>Logo</title></head><body>x</body></html>' > "$work/page.html"
start_virtual_screen
export QT_QPA_PLATFORM=xcb
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_CACHE_HOME="$work/home/.cache" "$work/brivo" "$work/page.html" >> "$work/out.txt" 2>&1 &
app=$!
window_id() { wid="$(wmctrl -l | awk '/Brivo/ {print $1; exit}')"; [ -n "$wid" ]; }
wait_for 450 window_id || fail "the main window did not appear"
# the page arrives and the window settles
sleep 5
window_id || fail "the main window is gone"
info="$(xwininfo -id "$wid")"
left="$(echo "$info" | awk '/Absolute upper-left X/ {print $4}')"
top="$(echo "$info" | awk '/Absolute upper-left Y/ {print $4}')"

# over a little more than one round of the clip (24 frames of 120 ms; its globe repeats after 12):
# how many different pictures the corner showed, and how many of its pixels are clearly blue in the
# last one
result="$(PYTHONPATH="$(dirname "$0")/../bench" python3 - "$left" "$top" <<'PY'
import sys, time, zlib
from xscreen import Screen
screen = Screen()
left, top, size = int(sys.argv[1]), int(sys.argv[2]), 64
pictures, data, end = set(), b"", time.monotonic() + 3.2
while time.monotonic() < end:
    data = screen.picture(left, top, size, size)
    pictures.add(zlib.crc32(data))
    time.sleep(0.03)
# 32-bit pixels, blue in the first byte
blue = sum(1 for i in range(0, len(data), 4) if data[i] > data[i + 2] + 60)
print(len(pictures), blue)
PY
)" || fail "the screen could not be read"
read -r pictures blue <<< "$result"
[ "$pictures" -ge 8 ] || fail "the logo's corner showed $pictures different pictures in a round of the clip"
[ "$pictures" -le 26 ] || fail "the logo's corner showed $pictures different pictures: more than the clip has"
[ "$blue" -ge 200 ] || fail "the logo's corner shows $blue blue pixels: the globe is not drawn in its colours"
echo "the logo showed $pictures pictures; $blue blue pixels"
