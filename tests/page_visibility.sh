#!/usr/bin/env bash
# Pages of page windows the user cannot see are hidden to the engine: four pages reopened in maximised
# windows on a real screen (openbox on a virtual screen) report, through a loopback server, their
# document.visibilityState and how many animation frames they have run, once a second. After some
# seconds the one in front must read visible and keep drawing, the three behind it must read hidden
# and draw nothing. Every wait is bounded.
set -u
program="$1"
for tool in Xvfb openbox wmctrl xprop python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/virtual_screen.sh"
fail() { echo "$1"; tail -20 "$work/reports" 2>/dev/null; tail -20 "$work/out.txt" 2>/dev/null; exit 1; }

cp "$program" "$work/brivo"
mkdir -p "$work/home"
# the server answers every request with the page; the page's reports are its requests, logged one
# a line: page number, visibility state, animation frames so far
cat > "$work/server.py" <<'PY'
import sys, urllib.parse
from http.server import BaseHTTPRequestHandler, HTTPServer
PAGE = """<!DOCTYPE html><html><head><title>Page %s</title></head><body><h1>Page %s</h1><script>
let frames = 0;
(function count() { frames++; requestAnimationFrame(count); })();
setInterval(function () {
  fetch('/report?page=%s&state=' + document.visibilityState + '&frames=' + frames, {cache: 'no-store'});
}, 1000);
</script></body></html>"""
class Handler(BaseHTTPRequestHandler):
    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/report":
            with open(sys.argv[2], "a") as log:
                log.write("%s %s %s\n" % (query["page"][0], query["state"][0], query["frames"][0]))
            body = b""
        else:
            n = "".join(c for c in url.path if c.isdigit())[:3]
            body = (PAGE % (n, n, n)).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
server = HTTPServer(("127.0.0.1", 0), Handler)
with open(sys.argv[1], "w") as f:
    f.write(str(server.server_address[1]))
server.serve_forever()
PY
python3 "$work/server.py" "$work/port" "$work/reports" 2>"$work/server.err" &
pids+=($!)
wait_for 50 test -s "$work/port" || fail "the loopback server did not start: $(cat "$work/server.err")"
port="$(cat "$work/port")"
{
  printf '[Main]\nWindowState=2\nExplorerBar=0\n[Browser]\nWindowState=2\n[OpenedBrowsers]\n'
  for i in 1 2 3 4; do printf '0,0,640,480,2,%d=http://127.0.0.1:%s/page%d.html\n' $((i - 1)) "$port" "$i"; done
} > "$work/brivo.ini"

start_virtual_screen
export QT_QPA_PLATFORM=xcb
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_CACHE_HOME="$work/home/.cache" "$work/brivo" >> "$work/out.txt" 2>&1 &
app=$!
# every page reports once its script runs; a loaded machine may take long to start the engine
reported() { [ "$(cut -d' ' -f1 "$work/reports" 2>/dev/null | sort -u | wc -l)" -eq 4 ]; }
wait_for 450 reported || fail "not every page reported"
sleep 6
kill -0 "$app" 2>/dev/null || fail "the program ended"
# with no graphics device to draw on (a virtual screen on a machine without DRI, NVIDIA or WSL
# devices) OpenGL could only be a software rasteriser: the pages above were drawn without the
# graphics library ever being loaded
if ! ls /dev/dri/card* /dev/dri/renderD* /dev/nvidia* /dev/dxg > /dev/null 2>&1 &&
  [ -z "${QT_QUICK_BACKEND:-}${QSG_RHI_BACKEND:-}${QT_XCB_GL_INTEGRATION:-}" ]; then
  ! grep -E 'swrast_dri|libLLVM|libGLX_mesa' "/proc/$app/maps" ||
    fail "the graphics library was loaded without a graphics device to draw on"
fi
# the last two reports of each page, a second or more apart: state and frames then and now
seen=0 visible=0
for i in 1 2 3 4; do
  read -r before_frames < <(grep "^$i " "$work/reports" | tail -n2 | head -n1 | cut -d' ' -f3)
  read -r state frames < <(grep "^$i " "$work/reports" | tail -n1 | cut -d' ' -f2,3)
  drawn=$((frames - before_frames))
  echo "page $i: $state, $drawn frames in its last second"
  if [ "$state" = visible ]; then
    visible=$((visible + 1))
    [ "$drawn" -gt 5 ] || fail "page $i is seen but does not draw"
  else
    [ "$state" = hidden ] || fail "page $i reads $state"
    [ "$drawn" -eq 0 ] || fail "page $i is covered but still draws"
  fi
  seen=$((seen + 1))
done
[ "$seen" -eq 4 ] && [ "$visible" -eq 1 ] || fail "$visible pages read visible, one should"
echo "the page in front is visible and draws, the three behind it are hidden and draw nothing"
