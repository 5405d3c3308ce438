#!/usr/bin/env bash
# Tight process limits under a real window manager on a virtual screen: a limit on open files or on
# address space that leaves the web engine too little room is told (on stderr and in a message box)
# before the engine starts, and the program ends with code 1 once the box is closed, instead of the
# engine ending it by a signal; a soft limit on open files below the need is raised to the hard one
# and the program runs; under a file-size limit below the history's first page, the visits that cannot
# be kept are told (a message box beside the main window). Every wait is bounded.
set -u
program="$1"
for tool in Xvfb openbox wmctrl prlimit; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/virtual_screen.sh"
fail() { echo "$1"; grep -v '^  \*' "$work/out.txt" 2>/dev/null | tail -20; exit 1; }

# the settings file lies next to the executable: a copy of its own keeps the build's file untouched
cp "$program" "$work/brivo"
printf '<html><head><title>Limits</title></head><body>x</body></html>' > "$work/page.html"
start_virtual_screen
export QT_QPA_PLATFORM=xcb

# start LIMIT...: the program under prlimit with the given limits, its id in app
start() {
  : > "$work/out.txt"
  HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" prlimit "$@" -- "$work/brivo" "$work/page.html" > "$work/out.txt" 2>&1 &
  app=$!
}
running() { kill -0 "$app" 2>/dev/null; }
# a window of the program (its process id on the window), its id in wid
window_of_program() { wid="$(wmctrl -lp | awk -v p="$app" '$3 == p {print $1; exit}')"; [ -n "$wid" ]; }
engine_started() { pgrep -f QtWebEngineProcess -P "$app" >/dev/null 2>&1; }
told() { grep -q "^brivo: .*$1" "$work/out.txt"; }

# refused: the reason on stderr and in a box, no engine, code 1 once the box is closed
refused() { # reason-pattern prlimit-options...
  local reason="$1" code
  shift
  start "$@"
  wait_for 300 told "$reason" || { running || echo "the program ended"; fail "the limit ($*) was not told"; }
  wait_for 150 window_of_program || fail "no message box for the limit ($*)"
  engine_started && fail "the web engine started under the limit ($*)"
  wmctrl -i -c "$wid"
  wait_for 50 eval '! running' || fail "the program did not end when the box was closed ($*)"
  wait "$app"
  code=$?
  app=""
  [ "$code" = 1 ] || fail "the program ended with code $code under the limit ($*), not 1"
}

refused "ulimit -n" --nofile=40
refused "ulimit -v" --as=1536000000

# a soft limit below the need with room under the hard one: raised, the program runs with its engine
start --nofile=40:4096
wait_for 450 eval 'window_of_program && wmctrl -l | grep -q Brivo' || fail "the main window did not appear"
wait_for 300 engine_started || fail "the web engine did not start"
sleep 3
running || fail "the program ended under a soft limit the hard one leaves room above"
told "" && fail "a limit was told though the hard one leaves room"
close_main() { window_of_program && wmctrl -i -c "$wid"; wait_for 10 eval '! running'; }
wait_for 15 close_main || fail "the program did not end when its window was closed"
app=""

# a file-size limit below the history's first page: the lost visit is told in a box of its own
start --fsize=1024
windows_of_program() { [ "$(wmctrl -lp | awk -v p="$app" '$3 == p' | wc -l)" -ge "$1" ]; }
wait_for 450 windows_of_program 1 || fail "the main window did not appear under a file-size limit"
wait_for 300 windows_of_program 2 || fail "no message told of the visit the history file cannot keep"
running || fail "the program ended under a file-size limit"
kill "$app"
wait "$app" 2>/dev/null
app=""
echo "tight limits were told, a soft one was raised, and a history file that cannot be written was told"
