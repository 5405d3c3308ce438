#!/usr/bin/env bash
# Start-up of the program beside the smallest browser on the same engine (bench/reference_browser),
# run in turns on one Xvfb screen with a window manager, each opening one page of the loopback
# server given on its command line. Times from the start of the process to the page's load event:
#   cold  a fresh home, so the engine makes its profile anew,
#   warm  the home the cold start of the same round left behind.
# Prints the medians (lowest..highest) of the rounds and the program's median over the reference's.
#
#   bench/compare_startup.sh [program] [reference] [rounds]
#   (defaults: build/bin/brivo, build/bin/reference_browser, 8)
#   BRIVO_LOAD_TIMEOUT (60) is the seconds a start may take before it counts as failed.
set -euo pipefail
# shellcheck source=bench/whole_process.sh
source "$(dirname "$0")/whole_process.sh"
program="$(realpath "${1:-$root/build/bin/brivo}")"
reference="$(realpath "${2:-$root/build/bin/reference_browser}")"
rounds="${3:-8}"
timeout="${BRIVO_LOAD_TIMEOUT:-60}"

bench_setup "$program"
cp "$reference" "$work/bin/reference_browser"
bench_start_xvfb
bench_start_wm
bench_start_server

# milliseconds from the start (microseconds since the epoch) to the first request with the prefix
elapsed() {
  bench_requests "$2" | head -n1 | awk -v s="$1" '{ printf "%.0f\n", $1 / 1e6 - s / 1e3 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
range() { sort -n | awk '{ v[NR] = $1 } END { printf "%s..%s", v[1], v[NR] }'; }

# one start of the named program (brivo or reference_browser), the load time appended to a file
# named after it and the kind of start; round 0 only warms the disk cache and is not counted
start_once() {
  local name="$1" kind="$2" round="$3" start got
  app_binary="$work/bin/$name"
  app_home="$work/home-$name"
  keep_home=""
  [ "$kind" = warm ] && keep_home=1
  # a settings file of an earlier start would reopen its page: each start begins with none
  rm -f "$work/bin/brivo.ini"
  bench_clear_requests
  bench_start_program "$work/out-$name-$kind-$round.txt" "http://127.0.0.1:$server_port/page1.html?$name-$kind-$round"
  start="$app_started"
  got="$(bench_wait_requests /mark/loaded/ 1 "$timeout")"
  if [ "$got" -lt 1 ]; then
    echo "$name ($kind, round $round): the page did not load within $timeout s; requests seen:" >&2
    cat "$server_log" >&2
    bench_require_running "$work/out-$name-$kind-$round.txt"
    exit 1
  fi
  bench_stop_program
  [ "$round" = 0 ] || elapsed "$start" /mark/loaded/ >> "$work/$name-$kind"
}

for name in brivo reference_browser; do : > "$work/$name-cold"; : > "$work/$name-warm"; done
for round in $(seq 0 "$rounds"); do
  # the two take turns at going first, so neither always finds the other's pages in the cache
  order=(brivo reference_browser)
  [ $((round % 2)) = 1 ] && order=(reference_browser brivo)
  for name in "${order[@]}"; do
    start_once "$name" cold "$round"
    start_once "$name" warm "$round"
  done
done

echo "start to the page's load event, ms, median (lowest..highest) of $rounds rounds"
printf '%-6s %-20s %-20s %s\n' start program reference ratio
for kind in cold warm; do
  p="$(median < "$work/brivo-$kind")"
  r="$(median < "$work/reference_browser-$kind")"
  printf '%-6s %-20s %-20s %s\n' "$kind" "$p ($(range < "$work/brivo-$kind"))" \
    "$r ($(range < "$work/reference_browser-$kind"))" "$(awk -v p="$p" -v r="$r" 'BEGIN { printf "%.2f", p / r }')"
done
