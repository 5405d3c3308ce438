#!/usr/bin/env bash
# The main window's stored state under a real window manager (openbox on a virtual screen): the first
# start is maximised, a maximised window comes back maximised, and a normal one at its rectangle.
# Every wait is bounded.
set -u
program="$1"
for tool in Xvfb openbox wmctrl xprop xwininfo; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/virtual_screen.sh"
fail() { echo "$1"; [ -f "$work/brivo.ini" ] && cat "$work/brivo.ini"; tail -20 "$work/out.txt" 2>/dev/null; exit 1; }

# the settings file lies next to the executable: a copy of its own keeps the build's file untouched
cp "$program" "$work/brivo"
printf '<html><head><title>State</title></head><body>x</body></html>' > "$work/page.html"
start_virtual_screen
export QT_QPA_PLATFORM=xcb

# the program makes its native window anew once its pages start: the id is looked up at every use
window_id() { wid="$(wmctrl -l | awk '/Brivo/ {print $1; exit}')"; [ -n "$wid" ]; }
maximised() { window_id && xprop -id "$wid" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_MAXIMIZED_HORZ; }
normal_at() { # width height
  local info
  window_id || return 1
  info="$(xwininfo -id "$wid" 2>/dev/null)"
  ! maximised && echo "$info" | grep -q "Width: $1\$" && echo "$info" | grep -q "Height: $2\$"
}
gone() { ! kill -0 "$app" 2>/dev/null; }
start() {
  HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" "$work/brivo" "$work/page.html" >> "$work/out.txt" 2>&1 &
  app=$!
  # a loaded machine can take long to start the web engine: the wait is long, and what was seen is told
  if ! wait_for 450 window_id; then
    kill -0 "$app" 2>/dev/null && echo "the program is running" || echo "the program has ended"
    wmctrl -l 2>&1
    xwininfo -root -tree 2>/dev/null | grep -i brivo
    fail "the main window did not appear"
  fi
}
close_and_wait() { window_id && wmctrl -i -c "$wid"; wait_for 10 gone; }
stop() {
  # asked again while the window is being made anew (a close sent to the old one is lost)
  wait_for 15 close_and_wait || { wmctrl -l; fail "the program did not end when its window was closed"; }
  app=""
}

start
wait_for 50 maximised || fail "the first start is not maximised"
stop
grep -q '^WindowState=2$' "$work/brivo.ini" || fail "the maximised state was not stored"

start
wait_for 50 maximised || fail "a maximised window came back not maximised"
stop

sed -i 's/^WindowState=2$/WindowState=0/; s/^Rect=.*/Rect=100,80,900,680/' "$work/brivo.ini"
start
wait_for 50 normal_at 800 600 || { xwininfo -id "$wid" | grep -E "Width|Height"; fail "a normal window did not come back at its rectangle"; }
stop
echo "the stored window states came back"
