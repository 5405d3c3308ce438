# Sourced by the whole-program tests that run under a real window manager. Gives a work folder that
# goes at exit together with every process the test started (their ids in pids, the program's in
# app), wait_for, start_virtual_screen (a virtual screen with openbox, its display exported),
# start_loopback_server, main_window, middle_of and show_output. The sourcing script defines fail
# first.

work="$(mktemp -d)"
pids=()
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# wait_for TRIES COMMAND...: runs the command every 0.2 s until it succeeds, at most TRIES times
wait_for() { local tries=$1; shift; for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.2; done; return 1; }

start_virtual_screen() {
  Xvfb -displayfd 3 -screen 0 1280x900x24 3>"$work/display" >/dev/null 2>&1 &
  pids+=($!)
  wait_for 100 test -s "$work/display" || fail "no virtual screen"
  export DISPLAY=":$(head -1 "$work/display")"
  # the manager is ready once it names itself and keeps a client list on the root window (before that,
  # wmctrl -l answers "Cannot get client list properties" and a window that appears is never found)
  wm_ready() { wmctrl -m >/dev/null 2>&1 && xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 'window id' && wmctrl -l >/dev/null 2>&1; }
  # on a loaded machine a manager now and then never gets that far (or ends): it is started again, at
  # most three times in all, its output kept for the failure's message
  local attempt wm
  for attempt in 1 2 3; do
    openbox >"$work/openbox.txt" 2>&1 &
    wm=$!
    pids+=("$wm")
    wait_for 100 wm_ready && return 0
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
  done
  cat "$work/openbox.txt"
  fail "the window manager did not start"
}

# start_loopback_server SERVER_PROGRAM: the test tool's loopback server, which answers every request
# with a small page and writes each request's first line to $work/served.txt; sets server to its
# address. requested PATH tells whether a request for the path (or one beginning with it) came.
start_loopback_server() {
  QT_QPA_PLATFORM=offscreen "$1" serve "$work/port" > "$work/served.txt" 2>/dev/null &
  pids+=($!)
  wait_for 50 test -s "$work/port" || fail "the loopback server did not start"
  server="http://127.0.0.1:$(head -1 "$work/port")"
}
requested() { grep -q "^GET $1" "$work/served.txt"; }

# main_window: the program's main window is shown (its id in wid)
main_window() { wid="$(wmctrl -l | awk '/Brivo/ {print $1; exit}')"; [ -n "$wid" ]; }
# middle_of TITLE-PATTERN: the middle of the first window whose title matches, in mid_x and mid_y (the
# program makes its native window anew once its pages start: the id is looked up again until its
# geometry is read)
middle_of() {
  local id geometry
  id="$(wmctrl -l | awk -v t="$1" '$0 ~ t {print $1; exit}')"
  [ -n "$id" ] && geometry="$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || return 1
  eval "$geometry"
  mid_x=$((X + WIDTH / 2))
  mid_y=$((Y + HEIGHT / 2))
}

# show_output: the requests the loopback server saw and the end of the program's output
show_output() {
  echo "--- requests the loopback server saw:"; cat "$work/served.txt" 2>/dev/null
  echo "--- the program's output:"; grep -v '^  \*' "$work/out.txt" 2>/dev/null | tail -20
}
