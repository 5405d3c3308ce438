#!/usr/bin/env bash
# The first page window of a start, when page windows are kept normal (not maximised), under a real
# window manager on a virtual screen: the page it opens reports an inner size a page can be read in,
# with the main window maximised and with it at its normal rectangle. Every wait is bounded.
# usage: page_window_size.sh PROGRAM SERVER (the drag test's tool, which serves the pages)
set -u
program="$1"
server_program="$2"
for tool in Xvfb openbox wmctrl xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/virtual_screen.sh"
fail() {
  echo "$1"
  echo "--- sizes the page reported:"; grep '^GET /size?' "$work/served.txt" 2>/dev/null
  echo "--- the program's output:"; grep -v '^  \*' "$work/out.txt" 2>/dev/null | tail -20
  exit 1
}

# the settings file lies next to the executable: a copy of its own keeps the build's file untouched
cp "$program" "$work/brivo"
start_virtual_screen

# the page comes from a loopback server, which prints the sizes the page reports
start_loopback_server "$server_program"

export QT_QPA_PLATFORM=xcb
main_window() { wid="$(wmctrl -l | awk '/Brivo/ {print $1; exit}')"; [ -n "$wid" ]; }
gone() { ! kill -0 "$app" 2>/dev/null; }
close_and_wait() { main_window && wmctrl -i -c "$wid"; wait_for 10 gone; }
# the requests of this start (those after the first $seen lines)
this_start() { tail -n +$((seen + 1)) "$work/served.txt"; }
# a report of at least 300 x 200 pixels
usable() { this_start | awk -F'[=& ]' '/^GET \/size\?w=/ && $3 >= 300 && $5 >= 200 { found = 1 } END { exit !found }'; }
asked_for_page() { this_start | grep -q '^GET /sized'; }

run=0
for main_state in "WindowState=2" "WindowState=0
Rect=40,30,1040,780"; do
  run=$((run + 1))
  seen="$(wc -l < "$work/served.txt")"
  printf '[Main]\n%s\n[Browser]\nWindowState=0\n' "$main_state" > "$work/brivo.ini"
  HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" "$work/brivo" "$server/sized?run=$run" >> "$work/out.txt" 2>&1 &
  app=$!
  # a loaded machine can take long to start the web engine
  wait_for 450 main_window || fail "the main window did not appear"
  wait_for 300 asked_for_page || fail "the first page was not asked for (start $run)"
  wait_for 150 usable "$run" || fail "the first page window is too small to read a page in (start $run)"
  wait_for 15 close_and_wait || fail "the program did not end when its window was closed"
  app=""
done
echo "the first page window opened at a size a page can be read in"
