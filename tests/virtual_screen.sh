# Sourced by the whole-program tests that run under a real window manager. Gives a work folder that
# goes at exit together with every process the test started (their ids in pids, the program's in
# app), wait_for, start_virtual_screen: a virtual screen with openbox, its display exported, and
# start_page_server. The sourcing script defines fail first.

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
  openbox >/dev/null 2>&1 &
  pids+=($!)
  # the manager is ready once it names itself and keeps a client list on the root window (before that,
  # wmctrl -l answers "Cannot get client list properties" and a window that appears is never found)
  wm_ready() { wmctrl -m >/dev/null 2>&1 && xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 'window id' && wmctrl -l >/dev/null 2>&1; }
  wait_for 100 wm_ready || fail "the window manager did not start"
}

# start_page_server TOOL: the test tool's loopback server (tests/tools/DragSource.cpp, mode serve);
# its address in server, each request it answered as a line "GET path HTTP/1.1" in $work/served.txt
start_page_server() {
  QT_QPA_PLATFORM=offscreen "$1" serve "$work/port" > "$work/served.txt" 2>/dev/null &
  pids+=($!)
  wait_for 50 test -s "$work/port" || fail "the loopback server did not start"
  server="http://127.0.0.1:$(head -1 "$work/port")"
}
