#!/usr/bin/env bash
# Switching page windows with many open: starts the program on an Xvfb screen with a window manager
# and 50 local pages, maximised, reopened from its settings file (the shipped settings, with the
# pages added); once they have settled, finds the row of window tabs (bench/x_tab_row.py: the row
# where a click brings another page to the front), then clicks the tabs of two page windows in
# turn and times each switch from the click until the page area stops changing, as the user sees it
# (bench/x_switch_time.py). Prints the median (lowest..highest) and how many separate changes a
# switch took (one: the switch is drawn in one step). It stops with an error when the program ends,
# when no tab row is found, or when a click on a tab changes nothing on the screen.
#
#   bench/tab_switch.sh [program] [pages] [switches]     (defaults: build/bin/brivo, 50, 20)
#   BRIVO_SETTLE_SECONDS (25) is the wait for the pages to load and settle; BRIVO_VERBOSE=1 also
#   prints each switch (milliseconds, changes). BRIVO_PAGE_ARGUMENT=1 gives the program its pages on
#   the command line instead, for bench/reference_browser (one tab each, the window maximised):
#     BRIVO_PAGE_ARGUMENT=1 bench/tab_switch.sh build/bin/reference_browser
set -euo pipefail
# shellcheck source=bench/whole_process.sh
source "$(dirname "$0")/whole_process.sh"
program="$(realpath "${1:-$root/build/bin/brivo}")"
pages="${2:-50}"
switches="${3:-20}"
settle="${BRIVO_SETTLE_SECONDS:-25}"

bench_setup "$program"
bench_start_xvfb
bench_start_wm

# the shipped settings (the sorted concatenation of the defaults, as the build writes them: the main
# window and its page windows maximised, the explorer bar closed) and the pages to reopen
{
  cat "$root"/resources/defaults/*.ini
  printf '\n[OpenedBrowsers]\n'
  for i in $(seq 1 "$pages"); do
    printf '0,0,640,480,2,%d=file://%s/pages/page%d.html\n' $((i - 1)) "$work" "$i"
  done
} > "$work/bin/brivo.ini"
urls=()
for i in $(seq 1 "$pages"); do urls+=("file://$work/pages/page$i.html"); done
bench_page_arguments "${urls[@]}"
bench_start_program "$work/out.txt" "${page_arguments[@]}"
sleep "$settle"
bench_require_running "$work/out.txt"
# the main window is maximised on the 1280x900 screen, the page area in its middle; the window tabs
# run along a row above it from the left, some 80 pixels each: the first two are clicked, the one
# not in front first
if ! read -r row front < <(DISPLAY="$display" python3 "$root/bench/x_tab_row.py" 60 140 450 40); then
  echo "the row of window tabs was not found" >&2
  exit 1
fi
other=60
[ "$front" = 60 ] && other=140
[ -n "${BRIVO_VERBOSE:-}" ] && echo "window tabs at y=$row"
DISPLAY="$display" python3 "$root/bench/x_switch_time.py" "$switches" 0 $((row + 20)) 1280 $((860 - row)) \
  "$other,$row" "$front,$row" > "$work/switches"
bench_require_running "$work/out.txt"
if grep -q nochange "$work/switches"; then
  echo "a click on a tab changed nothing on the screen:" >&2
  cat "$work/switches" >&2
  exit 1
fi
[ -n "${BRIVO_VERBOSE:-}" ] && tr '\n' ' ' < "$work/switches" && echo
echo "switch between two page windows of $pages, ms, median (lowest..highest) of $switches; changes per switch"
sort -n "$work/switches" | awk 'NR == 1 { lo = $2; hi = $2 } { v[NR] = $1; if ($2 < lo) lo = $2; if ($2 > hi) hi = $2 } END {
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.1f (%.1f..%.1f); changes %d..%d\n", m, v[1], v[NR], lo, hi }'
