# shellcheck shell=bash
# Set-up shared by the whole-process benchmarks (idle_cpu.sh, startup_time.sh, page_memory.sh).
# Sourced, not run: it defines functions and the variables root, work, display, app_pid, server_port,
# server_log.
#
# The program runs from a copy in a temporary folder, so its settings file (beside the executable)
# and its profile (under a temporary home, made afresh for each run) are fresh and nothing of the
# user's is touched. Pages are local: files, or the loopback server in loopback_server.py.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work=""
display=""
app_pid=""
xvfb_pid=""
server_pid=""
server_port=""
server_log=""
net_pid=""
wm_pid=""
in_net=()
# the program bench_start_program runs (bench_setup sets it to the copy) and whether it keeps the
# home of the run before (a warm start: the engine's profile is there already); app_home is the
# home it runs in
app_binary=""
keep_home=""
app_home=""
app_started=""
# the arguments bench_page_arguments gives
page_arguments=()

# Makes a network namespace that has only the loopback device; the loopback server and the program
# run in it (through in_net), so nothing the program does can reach another host. The screen stays
# outside, where other X servers see its display number. Needs root; without it the two run as
# they are (their pages are local anyway).
bench_isolate() {
  in_net=()
  if [ "$(id -u)" = 0 ] && command -v ip > /dev/null && unshare -n true 2> /dev/null; then
    unshare -n sleep infinity &
    net_pid=$!
    in_net=(nsenter "--net=/proc/$net_pid/ns/net")
    # the namespace exists once sleep runs in it
    for _ in $(seq 1 50); do
      [ "$(readlink "/proc/$net_pid/ns/net")" != "$(readlink /proc/self/ns/net)" ] && break
      sleep 0.05
    done
    "${in_net[@]}" ip link set lo up
  else
    echo "(not isolated from the network: run as root for a loopback-only namespace)" >&2
  fi
}

# Ends what the script started and removes its folder; a failure here stops nothing else.
bench_cleanup() {
  set +e
  bench_stop_program
  local pid
  for pid in "$server_pid" "$net_pid" "$wm_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && kill "$pid" 2> /dev/null && wait "$pid" 2> /dev/null
  done
  [ -n "$work" ] && rm -rf "$work"
}

# Makes the temporary folder with a copy of the program (the first argument) in bin/, 100 quiet pages
# in pages/page<i>.html and as many pages that run a CSS animation for ever in pages/moving<i>.html, and
# the loopback-only network namespace.
bench_setup() {
  local program="$1" i p
  # not under /tmp: the program's file-system page watches the home folder and the folders on the
  # way to it, and /tmp changes all the time while other programs (compilers) run, which would be
  # counted as the program's own work
  work="$(mktemp -d -p /var/tmp)"
  trap bench_cleanup EXIT
  bench_isolate
  mkdir -p "$work/pages" "$work/bin"
  cp "$program" "$work/bin/brivo"
  app_binary="$work/bin/brivo"
  for i in $(seq 1 100); do
    {
      printf '<!DOCTYPE html><html><head><meta charset="utf-8"><title>Page %d</title></head><body>\n' "$i"
      printf '<h1>Page %d</h1>\n' "$i"
      for p in $(seq 1 20); do
        printf '<p>Paragraph %d of a quiet page: text and a <a href="#p%d">link</a>, nothing that moves.</p>\n' "$p" "$p"
      done
      printf '</body></html>\n'
    } > "$work/pages/page$i.html"
    {
      printf '<!DOCTYPE html><html><head><meta charset="utf-8"><title>Moving %d</title><style>\n' "$i"
      printf '@keyframes slide { from { margin-left: 0 } to { margin-left: 400px } }\n'
      printf '.bar { width: 200px; height: 40px; background: #369; animation: slide 2s linear infinite alternate }\n'
      printf '</style></head><body><h1>Moving %d</h1><div class="bar"></div>\n' "$i"
      printf '<p>A bar that slides for ever, as a page with an animated banner or a spinner does.</p>\n'
      printf '</body></html>\n'
    } > "$work/pages/moving$i.html"
  done
}

# Waits up to five seconds for a helper started in the background to write its first line to the
# file; else fails the script, showing the helper's error output.
bench_wait_written() {
  local file="$1" name="$2" errors="$3"
  for _ in $(seq 1 50); do
    [ -s "$file" ] && return
    sleep 0.1
  done
  echo "$name did not start:" >&2
  cat "$errors" >&2
  exit 1
}

# Starts a virtual screen and sets display.
bench_start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
  xvfb_pid=$!
  bench_wait_written "$work/display" Xvfb "$work/xvfb.log"
  display=":$(head -n1 "$work/display")"
}

# Starts a window manager on the screen, so that the program's window becomes the active one and a
# text caret blinks in it as on a desktop; without one nothing has the input focus of the screen.
bench_start_wm() {
  if ! command -v openbox > /dev/null; then
    echo "(no window manager: openbox is not installed; no window becomes active)" >&2
    return
  fi
  DISPLAY="$display" openbox --sm-disable > "$work/wm.log" 2>&1 &
  wm_pid=$!
  if ! command -v xprop > /dev/null; then
    sleep 1
    return
  fi
  # the window manager names its check window on the root window once it manages the screen
  for _ in $(seq 1 50); do
    DISPLAY="$display" xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && return
    sleep 0.1
  done
}

# Starts the loopback server on the pages folder; sets server_port and server_log (one line per
# request: the wall-clock time in nanoseconds and the path).
bench_start_server() {
  server_log="$work/requests.log"
  "${in_net[@]}" python3 "$root/bench/loopback_server.py" "$work/pages" "$work/port" "$server_log" 2> "$work/server.err" &
  server_pid=$!
  bench_wait_written "$work/port" "the loopback server" "$work/server.err"
  server_port="$(cat "$work/port")"
}

# Writes the settings file beside the program copy so that it reopens the given URLs, one page
# window each, in cascaded rectangles; maximised when opened_state is 2 (normal when it is empty).
opened_state=""
bench_write_opened() {
  local i=0 x url state="${opened_state:-0}"
  {
    printf '[Browser]\nWindowState=%d\n[OpenedBrowsers]\n' "$state"
    for url in "$@"; do
      i=$((i + 1))
      x=$(((i % 10) * 20))
      printf '%d,%d,%d,%d,%d,%d=%s\n' "$x" "$x" $((x + 640)) $((x + 480)) "$state" $((i - 1)) "$url"
    done
  } > "$work/bin/brivo.ini"
}

# The arguments that start the program on the given pages: none (it reopens them from its settings
# file), or, with BRIVO_PAGE_ARGUMENT=1, the pages themselves after --maximized, for a browser
# without that settings file (bench/reference_browser, one tab per page).
bench_page_arguments() {
  page_arguments=()
  [ -n "${BRIVO_PAGE_ARGUMENT:-}" ] && page_arguments=(--maximized "$@")
  return 0
}

# Starts app_binary (the program copy unless set otherwise) with a fresh home (app_home, else
# $work/home; kept as it is when keep_home is set) and the given arguments; output goes to the file
# named by the first argument. Sets app_pid, and app_started to the moment it is started
# (microseconds since the epoch; after the old home is removed, which is no part of the start).
bench_start_program() {
  local out="$1"
  shift
  local home="${app_home:-$work/home}"
  [ -n "$keep_home" ] || rm -rf "${home:?}"
  mkdir -p "$home"
  app_started="${EPOCHREALTIME/[.,]/}"
  DISPLAY="$display" QT_QPA_PLATFORM=xcb HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
    "${in_net[@]}" "$app_binary" "$@" > "$out" 2>&1 &
  app_pid=$!
}

bench_stop_program() {
  [ -n "$app_pid" ] || return 0
  kill "$app_pid" 2> /dev/null
  wait "$app_pid" 2> /dev/null || true
  app_pid=""
}

# Fails the script with the program's output when it has ended.
bench_require_running() {
  if ! kill -0 "$app_pid" 2> /dev/null; then
    echo "the program ended before the measurement:" >&2
    cat "$1" >&2
    exit 1
  fi
}

# The process and every descendant of it.
family_of() {
  local pids=("$1") i=0 c
  while [ $i -lt ${#pids[@]} ]; do
    for c in $(cat /proc/"${pids[$i]}"/task/*/children 2> /dev/null); do
      pids+=("$c")
    done
    i=$((i + 1))
  done
  echo "${pids[@]}"
}

# The ticks (user + system) of a process, 0 once it is gone.
ticks_of() {
  local stat
  stat="$(cat "/proc/$1/stat" 2> /dev/null)" || {
    echo 0
    return
  }
  # the fields after the command name, which may hold spaces, start at the state
  stat="${stat##*) }"
  read -r -a f <<< "$stat"
  echo $((f[11] + f[12]))
}

# Empties the request log; only while the program is not running.
bench_clear_requests() {
  : > "$server_log"
}

# Lines of the request log whose path starts with the given prefix.
bench_requests() {
  awk -v p="$1" 'index($2, p) == 1' "$server_log" 2> /dev/null || true
}

# Waits until the request log holds the given number of lines starting with the prefix, or the
# program ends, or the seconds pass; prints how many there are.
bench_wait_requests() {
  local prefix="$1" count="$2" seconds="$3" n=0 deadline
  deadline=$((SECONDS + seconds))
  while [ $SECONDS -lt "$deadline" ]; do
    n="$(bench_requests "$prefix" | wc -l)"
    [ "$n" -ge "$count" ] && break
    kill -0 "$app_pid" 2> /dev/null || break
    sleep 0.05
  done
  bench_requests "$prefix" | wc -l
}
