#!/usr/bin/env bash
# Idle CPU of the whole running program: starts it on an Xvfb screen with a window manager (so that
# its window becomes the active one and a text caret blinks in it, as on a desktop), with 1 and with
# 25 local pages open, lets it settle, puts the input focus where the case says, then reports the
# CPU time the program and its engine processes used over a quiet stretch, as a share of one CPU.
# The cases:
#   address    the focus where the start puts it, in the address box;
#   page       a click into the active page;
#   note       the explorer bar open on the notes page, a click into the note;
#   animating  pages that run a CSS animation, in maximised page windows: the one in front is seen
#              and draws, those behind it are covered (focus as in address).
#
#   bench/idle_cpu.sh [program] [page counts...]     (defaults: build/bin/brivo, 1 25)
#   BRIVO_IDLE_CASES ("address page note animating") picks the cases; BRIVO_IDLE_SECONDS (20) and
#   BRIVO_SETTLE_SECONDS (15) change the two stretches. BRIVO_PAGE_ARGUMENT=1 gives the program its
#   pages on the command line instead of the settings file, for bench/reference_browser (one tab
#   each, the window maximised; cases address and animating; its address line has the focus):
#     BRIVO_PAGE_ARGUMENT=1 BRIVO_IDLE_CASES=animating bench/idle_cpu.sh build/bin/reference_browser 10
#
# The program runs from a copy with a fresh settings file and home (see whole_process.sh).
set -euo pipefail
# shellcheck source=bench/whole_process.sh
source "$(dirname "$0")/whole_process.sh"
program="$(realpath "${1:-$root/build/bin/brivo}")"
shift || true
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1 25)
read -r -a cases <<< "${BRIVO_IDLE_CASES:-address page note animating}"
idle="${BRIVO_IDLE_SECONDS:-20}"
settle="${BRIVO_SETTLE_SECONDS:-15}"
tick="$(getconf CLK_TCK)"

bench_setup "$program"
bench_start_xvfb
bench_start_wm

# The main window is maximised on the 1280x900 screen. The active page window is the first of the
# settings file, at 20,20 of the page area below the bars; the note fills the lower part of the
# explorer bar, 400 pixels wide at the left of the window.
page_point=(340 480)
note_point=(200 650)

pct() { awk -v t="$1" -v hz="$tick" -v s="$idle" 'BEGIN { printf "%.2f%%", 100 * t / hz / s }'; }
printf '%-8s %-6s %-10s %-10s %-10s %s\n' focus pages program engine total "processes"
for focus in "${cases[@]}"; do
  for n in "${counts[@]}"; do
    urls=()
    page=page opened_state=""
    [ "$focus" = animating ] && page=moving opened_state=2
    for i in $(seq 1 "$n"); do urls+=("file://$work/pages/$page$i.html"); done
    bench_write_opened "${urls[@]}"
    {
      printf '[Main]\nWindowState=2\nExplorerBar=%d\nExplorerBarWidth=400\nExplorerBarPage=3\n' \
        "$([ "$focus" = note ] && echo 1 || echo 0)"
    } >> "$work/bin/brivo.ini"
    bench_page_arguments "${urls[@]}"
    bench_start_program "$work/out-$focus-$n.txt" "${page_arguments[@]}"
    sleep "$settle"
    bench_require_running "$work/out-$focus-$n.txt"
    case "$focus" in
      page) DISPLAY="$display" python3 "$root/bench/x_click.py" "${page_point[@]}" ;;
      note) DISPLAY="$display" python3 "$root/bench/x_click.py" "${note_point[@]}" ;;
    esac
    sleep 2
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
    printf '%-8s %-6s %-10s %-10s %-10s %s\n' "$focus" "$n" "$(pct $own)" "$(pct $engine)" "$(pct $((own + engine)))" "$procs"
    bench_stop_program
  done
done
