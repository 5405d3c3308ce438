#!/usr/bin/env bash
# Drags from another program onto a page, through the X server's own drag protocol (a virtual screen
# with openbox; the mouse is moved with xdotool): link lists whose lines are no valid address, a
# list that yields no address at all, and a link offered only in the browsers' own format that the
# sender cannot hand on never end the program and open nothing; web links dropped after them still
# open. Every wait is bounded.
# usage: real_drag.sh PROGRAM DRAG_SOURCE
set -u
program="$1"
source_program="$2"
for tool in Xvfb openbox wmctrl xprop xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/virtual_screen.sh"
fail() {
  echo "$1"
  show_output
  exit 1
}

# the settings file lies next to the executable: a copy of its own keeps the build's file untouched
cp "$program" "$work/brivo"
start_virtual_screen

# the pages come from a loopback server, which tells which addresses the program asked for
start_loopback_server "$source_program"

export QT_QPA_PLATFORM=xcb
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_CACHE_HOME="$work/home/.cache" "$work/brivo" "$server/start" > "$work/out.txt" 2>&1 &
app=$!
alive() { kill -0 "$app" 2>/dev/null; }
# a loaded machine can take long to start the web engine
wait_for 450 main_window || fail "the main window did not appear"
wait_for 300 requested /start || fail "the start page was not asked for"
# the drop lands in the middle of the main window, on the page
wait_for 50 middle_of Brivo || fail "the main window's place was not found"
drop_x=$mid_x
drop_y=$mid_y

# drag MODE FORMAT DATA: presses the mouse on a new drag source, moves it onto the page in steps
# (each step a drag position the page is told of) and lets go there; the source prints its result
drag() {
  local source
  rm -f "$work/drag.txt"
  "$source_program" "$1" "$2" "$3" > "$work/drag.txt" 2>/dev/null &
  source=$!
  pids+=("$source")
  wait_for 50 middle_of "Drag source" || fail "the drag source did not appear"
  local from_x=$mid_x from_y=$mid_y
  xdotool mousemove "$from_x" "$from_y"
  sleep 0.3
  xdotool mousedown 1
  sleep 0.3
  for step in 1 2 3 4 5 6; do
    xdotool mousemove $((from_x + (drop_x - from_x) * step / 6)) $((from_y + (drop_y - from_y) * step / 6))
    sleep 0.3
  done
  xdotool mousemove $((drop_x + 4)) $((drop_y + 4))
  sleep 0.3
  xdotool mouseup 1
  # the source ends once the drop is over (or the target is gone)
  if ! wait_for 50 eval '! kill -0 '"$source"' 2>/dev/null'; then
    kill "$source" 2>/dev/null
    alive || fail "the program ended during the drag"
    fail "the drag did not end"
  fi
}
# refused NAME MODE FORMAT DATA: the program lives on and did not take the drop
refused() {
  local name="$1"
  shift
  drag "$@"
  sleep 1
  alive || fail "the program ended after the drop of $name"
  grep -q '^drag ended: 0$' "$work/drag.txt" || fail "the drop of $name was taken ($(cat "$work/drag.txt"))"
}

# the bytes as given: a list line that is no valid address
refused "a link list with an escaped script address" drag text/uri-list $'%6Aavascript:alert(1)\r\n'
refused "a link list with a tab inside the scheme" drag text/uri-list 'java%09script:alert(1)'
# as the toolkit's own programs send them: such a line goes out empty, and a link given only in the
# browsers' format cannot be handed on, so the list offered yields no address at all
refused "a link list that yields no address" qt-drag text/uri-list $'%6Aavascript:alert(1)\r\n'
refused "a link offered only in the browsers' format" qt-drag text/x-moz-url $'http://127.0.0.1:1/x\nx'
grep -v -e '^GET /start ' -e '^GET /favicon.ico ' "$work/served.txt" | grep -q . && fail "a refused drop opened a page"

# a web link still opens, in a link list or only in the browsers' own format
drag drag text/uri-list "$server/dropped"$'\r\n'
wait_for 100 requested /dropped || fail "a dropped web link was not opened ($(cat "$work/drag.txt"))"
drag drag text/x-moz-url "$server/offered-as-moz-url"$'\nA title'
wait_for 100 requested /offered-as-moz-url || fail "a web link in the browsers' format was not opened"
alive || fail "the program ended after opening a dropped link"
echo "the program outlived every malformed drop and opened the dropped links"
