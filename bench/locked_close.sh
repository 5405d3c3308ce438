#!/usr/bin/env bash
# The whole program closed while another program holds the lock of its settings folder (a flock held
# by flock(1)), as a second program in the middle of its own write would. Reports the seconds from the
# close until the message that the settings could not be saved, and from the answer to that message
# (OK, through the window manager) until the program has ended.
#
#   bench/locked_close.sh [program]     (default: build/bin/brivo)
#
# Needs Xvfb, openbox, wmctrl, xprop and flock.
set -euo pipefail
# shellcheck source=bench/whole_process.sh
source "$(dirname "$0")/whole_process.sh"
program="$(realpath "${1:-$root/build/bin/brivo}")"
for tool in Xvfb openbox wmctrl xprop flock; do
  command -v "$tool" > /dev/null || {
    echo "skipped: $tool is not installed"
    exit 77
  }
done
now() { echo "${EPOCHREALTIME/[.,]/}"; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", (b - a) / 1000000 }'; }

bench_setup "$program"
bench_start_xvfb
bench_start_wm
holder=""
trap '[ -n "$holder" ] && kill "$holder" 2> /dev/null; bench_cleanup' EXIT

# the program's windows whose first type is the given one (DIALOG or NORMAL)
window_of() {
  local id
  for id in $(DISPLAY="$display" wmctrl -lp 2> /dev/null | awk -v p="$app_pid" '$3 == p {print $1}'); do
    DISPLAY="$display" xprop -id "$id" _NET_WM_WINDOW_TYPE 2> /dev/null | sed 's/.*= //; s/,.*//' |
      grep -qx "_NET_WM_WINDOW_TYPE_$1" && {
      echo "$id"
      return
    }
  done
  return 1
}
wait_window() { # type seconds
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    window_of "$1" && return
    kill -0 "$app_pid" 2> /dev/null || return 1
    sleep 0.1
  done
  return 1
}

bench_write_opened "file://$work/pages/page1.html"
bench_start_program "$work/out.txt"
main="$(wait_window NORMAL 120)" || {
  cat "$work/out.txt"
  echo "the main window did not appear"
  exit 1
}
sleep 3
bench_require_running "$work/out.txt"

# the settings file lies beside the program copy: another program takes that folder's lock
flock -x "$work/bin" sleep 600 &
holder=$!
sleep 0.5

closed="$(now)"
DISPLAY="$display" wmctrl -i -c "$main"
if box="$(wait_window DIALOG 120)"; then
  echo "close to the message: $(seconds_since "$closed") s"
  answered="$(now)"
  DISPLAY="$display" wmctrl -i -c "$box"
else
  echo "close to the message: no message within 120 s"
  answered="$closed"
fi
deadline=$((SECONDS + 120))
while kill -0 "$app_pid" 2> /dev/null && [ $SECONDS -lt $deadline ]; do
  # a later message of the same close is answered too, and counted
  if later="$(window_of DIALOG)"; then
    echo "another message at $(seconds_since "$answered") s after the answer"
    DISPLAY="$display" wmctrl -i -c "$later"
  fi
  sleep 0.1
done
if kill -0 "$app_pid" 2> /dev/null; then
  echo "answer to the end: the program still runs after 120 s"
else
  echo "answer to the end: $(seconds_since "$answered") s"
fi
app_pid=""
