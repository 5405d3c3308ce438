#!/usr/bin/env bash
# Start-up time of the whole program: starts it on an Xvfb screen with one page of the loopback
# server to open (given on its command line), and times, from the moment the process is started,
#   requested  the engine asks the server for the page,
#   loaded     the page's load event (the page and its picture are in),
#   shown      the first frame drawn after that event,
# as reported to the server by the page itself. Each run has a fresh home and settings file; the
# figures are the median (with the lowest and highest) of the runs, after one run not counted that
# warms the disk cache.
#
#   bench/startup_time.sh [program] [runs]     (defaults: build/bin/brivo, 7)
#   BRIVO_LOAD_TIMEOUT (60) is the seconds a run may take before it counts as failed.
set -euo pipefail
# shellcheck source=bench/whole_process.sh
source "$(dirname "$0")/whole_process.sh"
program="$(realpath "${1:-$root/build/bin/brivo}")"
runs="${2:-7}"
timeout="${BRIVO_LOAD_TIMEOUT:-60}"

bench_setup "$program"
bench_start_xvfb
bench_start_server

# milliseconds from the start (microseconds since the epoch) to the first request with the prefix
elapsed() {
  bench_requests "$2" | head -n1 | awk -v s="$1" '{ printf "%.0f\n", $1 / 1e6 - s / 1e3 }'
}
median_of() { sort -n | awk '{ v[NR] = $1 } END { printf "%s (%s..%s)", (NR % 2 ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)), v[1], v[NR] }'; }

: > "$work/requested"
: > "$work/loaded"
: > "$work/shown"
for run in $(seq 0 "$runs"); do
  # the settings file of an earlier run would reopen its page: each run starts with none
  rm -f "$work/bin/brivo.ini"
  bench_clear_requests
  bench_start_program "$work/out-$run.txt" "http://127.0.0.1:$server_port/page1.html?run=$run"
  start="$app_started"
  got="$(bench_wait_requests /mark/shown/ 1 "$timeout")"
  if [ "$got" -lt 1 ]; then
    echo "run $run: the page was not shown within $timeout s; requests seen:" >&2
    cat "$server_log" >&2
    bench_require_running "$work/out-$run.txt"
    exit 1
  fi
  bench_stop_program
  [ "$run" = 0 ] && continue
  elapsed "$start" /page1.html >> "$work/requested"
  elapsed "$start" /mark/loaded/ >> "$work/loaded"
  elapsed "$start" /mark/shown/ >> "$work/shown"
done

echo "start-up to the first page, ms, median (lowest..highest) of $runs runs"
printf '%-10s %s\n' requested "$(median_of < "$work/requested")"
printf '%-10s %s\n' loaded "$(median_of < "$work/loaded")"
printf '%-10s %s\n' shown "$(median_of < "$work/shown")"
