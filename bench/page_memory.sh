#!/usr/bin/env bash
# Memory of the whole program with N page windows: starts it on an Xvfb screen (with a window
# manager, the main window maximised) with 1, 10 and 25 pages of the loopback server reopened from
# its settings file in normal page windows, or maximised ones with BRIVO_PAGE_STATE=maximised (one in
# front, the others covered by it), waits until every page reports its
# load event, lets it settle, then sums the resident memory of the program and all its engine
# processes, from /proc: RSS; PSS, which divides each shared page among all its users (other
# programs on the machine included); and USS, the memory no other process shares. It measures USS
# again after a further quiet stretch, to show memory that keeps growing while nothing happens, and
# gives the growth per page window from one count to the next.
#
#   bench/page_memory.sh [program] [page counts, 1-100...]     (defaults: build/bin/brivo, 1 10 25)
#   BRIVO_BREAKDOWN=1 also lists the PSS of each kind of process (the program itself, its renderers,
#   the GPU process, the network and other utility processes), and of the program's own process by
#   kind of memory (heap, other anonymous memory, files, graphics buffers).
#   BRIVO_SETTLE_SECONDS (10), BRIVO_HOLD_SECONDS (20) and BRIVO_LOAD_TIMEOUT (120) change the
#   stretches. BRIVO_PAGE_ARGUMENT=1 gives the program its pages on the command line instead, for a
#   browser without the settings file (bench/reference_browser: one tab each, the window maximised):
#     BRIVO_PAGE_ARGUMENT=1 bench/page_memory.sh build/bin/reference_browser 1 10 25 50
set -euo pipefail
# shellcheck source=bench/whole_process.sh
source "$(dirname "$0")/whole_process.sh"
program="$(realpath "${1:-$root/build/bin/brivo}")"
shift || true
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1 10 25)
for n in "${counts[@]}"; do
  if ! [[ "$n" =~ ^[1-9][0-9]*$ ]] || [ "$n" -gt 100 ]; then
    echo "a page count is a number from 1 to 100 (the pages the benchmark writes), not $n" >&2
    exit 2
  fi
done
settle="${BRIVO_SETTLE_SECONDS:-10}"
hold="${BRIVO_HOLD_SECONDS:-20}"
timeout="${BRIVO_LOAD_TIMEOUT:-120}"

opened_state=""
case "${BRIVO_PAGE_STATE:-normal}" in
  normal) ;;
  maximised) opened_state=2 ;;
  *) echo "BRIVO_PAGE_STATE is normal or maximised, not ${BRIVO_PAGE_STATE}" >&2; exit 2 ;;
esac

bench_setup "$program"
bench_start_xvfb
bench_start_wm
bench_start_server

# "<rss> <pss> <uss> <processes>" (kB) of the program and its descendants; uss is the memory no
# other process shares, which other programs on the machine do not change
memory_of_family() {
  local p rss=0 pss=0 uss=0 procs=0 r s u
  for p in $(family_of "$app_pid"); do
    read -r r s u < <(awk '$1 == "Rss:" { r = $2 } $1 == "Pss:" { s = $2 }
      $1 ~ /^Private_(Clean|Dirty):$/ { u += $2 } END { print r + 0, s + 0, u + 0 }' \
      "/proc/$p/smaps_rollup" 2> /dev/null || echo 0 0 0)
    rss=$((rss + r))
    pss=$((pss + s))
    uss=$((uss + u))
    procs=$((procs + 1))
  done
  echo "$rss $pss $uss $procs"
}
# the kind of an engine process from its command line: the program itself, renderer, gpu-process,
# utility:<sub-type>, zygote
kind_of() {
  local line
  line="$(tr '\0' ' ' < "/proc/$1/cmdline" 2> /dev/null)" || return
  case "$line" in
    # the engine's renderers are forked from its zygote and keep its command line
    *--type=zygote*) [ -n "$(cat /proc/"$1"/task/*/children 2> /dev/null)" ] && echo zygote || echo renderer ;;
    *--type=utility*) echo "utility:$(sed -n 's/.*--utility-sub-type=\([^ ]*\).*/\1/p' <<< "$line")" ;;
    *--type=*) sed -n 's/.*--type=\([^ ]*\).*/\1/p' <<< "$line" ;;
    *) echo program ;;
  esac
}
# PSS (kB) of each kind of process, and of the program's own process by kind of mapping
breakdown() {
  local p
  for p in $(family_of "$app_pid"); do
    printf '%s %s\n' "$(kind_of "$p")" \
      "$(awk '$1 == "Pss:" { print $2 }' "/proc/$p/smaps_rollup" 2> /dev/null || echo 0)"
  done | awk '{ s[$1] += $2; n[$1]++ } END { for (k in s) printf "  %-40s %3d processes %8.1f MB\n", k, n[k], s[k] / 1024 }' |
    sort
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = $6 == "" ? "[anonymous]" : $6
         if (name ~ /^\/dev\/|memfd|SYSV|drm|dmabuf/) name = "[shared buffers]"
         else if (name ~ /^\//) name = "[files]" }
       $1 == "Pss:" { s[name] += $2 }
       END { for (k in s) if (s[k] >= 1024) printf "    program %-30s %8.1f MB\n", k, s[k] / 1024 }' \
    "/proc/$app_pid/smaps" 2> /dev/null | sort
}
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
# megabytes per page from the previous count to this one
per_page() { awk -v a="$1" -v b="$2" -v m="$3" -v n="$4" 'BEGIN { printf "%.1f", (b - a) / 1024 / (n - m) }'; }

echo "memory of the program and its engine processes, MB, page windows ${BRIVO_PAGE_STATE:-normal}; USS +${hold}s is measured again after a quiet stretch"
printf '%-6s %-7s %-6s %-8s %-8s %-8s %-9s %-14s %s\n' pages loaded procs RSS PSS USS "USS +${hold}s" "PSS per page" "USS per page"
last_n="" last_pss="" last_uss=""
for n in "${counts[@]}"; do
  urls=()
  for i in $(seq 1 "$n"); do urls+=("http://127.0.0.1:$server_port/page$i.html?count=$n"); done
  bench_write_opened "${urls[@]}"
  printf '[Main]\nWindowState=2\n' >> "$work/bin/brivo.ini"
  bench_clear_requests
  bench_page_arguments "${urls[@]}"
  bench_start_program "$work/out-$n.txt" "${page_arguments[@]}"
  loaded="$(bench_wait_requests "/mark/loaded/" "$n" "$timeout")"
  bench_require_running "$work/out-$n.txt"
  sleep "$settle"
  read -r rss pss uss procs < <(memory_of_family)
  sleep "$hold"
  read -r _ _ uss_later _ < <(memory_of_family)
  pss_growth="-" uss_growth="-"
  if [ -n "$last_n" ]; then
    pss_growth="$(per_page "$last_pss" "$pss" "$last_n" "$n")"
    uss_growth="$(per_page "$last_uss" "$uss" "$last_n" "$n")"
  fi
  printf '%-6s %-7s %-6s %-8s %-8s %-8s %-9s %-14s %s\n' "$n" "$loaded" "$procs" "$(mb "$rss")" "$(mb "$pss")" \
    "$(mb "$uss")" "$(mb "$uss_later")" "$pss_growth" "$uss_growth"
  [ -n "${BRIVO_BREAKDOWN:-}" ] && breakdown
  last_n="$n" last_pss="$pss" last_uss="$uss"
  bench_stop_program
done
