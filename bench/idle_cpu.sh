#!/usr/bin/env bash
# Idle CPU of the whole running program: starts it on an Xvfb screen with 1 and with 25 local pages
# open, lets it settle, then reports the CPU time the program and its engine processes used over a
# quiet stretch, as a share of one CPU.
#
#   bench/idle_cpu.sh [program] [page counts...]     (defaults: build/bin/brivo, 1 25)
#   BRIVO_IDLE_SECONDS (20) and BRIVO_SETTLE_SECONDS (15) change the two stretches.
#
# The program runs from a copy with a fresh settings file and home (see whole_process.sh).
set -euo pipefail
# shellcheck source=bench/whole_process.sh
source "$(dirname "$0")/whole_process.sh"
program="$(realpath "${1:-$root/build/bin/brivo}")"
shift || true
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1 25)
idle="${BRIVO_IDLE_SECONDS:-20}"
settle="${BRIVO_SETTLE_SECONDS:-15}"
tick="$(getconf CLK_TCK)"

bench_setup "$program"
bench_start_xvfb

pct() { awk -v t="$1" -v hz="$tick" -v s="$idle" 'BEGIN { printf "%.2f%%", 100 * t / hz / s }'; }
printf '%-6s %-10s %-10s %-10s %s\n' pages program engine total "processes"
for n in "${counts[@]}"; do
  urls=()
  for i in $(seq 1 "$n"); do urls+=("file://$work/pages/page$i.html"); done
  bench_write_opened "${urls[@]}"
  bench_start_program "$work/out-$n.txt"
  sleep "$settle"
  bench_require_running "$work/out-$n.txt"
  declare -A before=()
  for p in $(family_of "$app_pid"); do before[$p]="$(ticks_of "$p")"; done
  sleep "$idle"
  own=0 engine=0 procs=0
  for p in $(family_of "$app_pid"); do
    used=$(($(ticks_of "$p") - ${before[$p]:-0}))
    procs=$((procs + 1))
    if [ "$p" = "$app_pid" ]; then own=$used; else engine=$((engine + used)); fi
  done
  unset before
  printf '%-6s %-10s %-10s %-10s %s\n' "$n" "$(pct $own)" "$(pct $engine)" "$(pct $((own + engine)))" "$procs"
  bench_stop_program
done
