#!/usr/bin/env bash
# Idle CPU of the whole running program: starts it on an Xvfb screen with 1 and with 25 local pages
# open, lets it settle, then reports the CPU time the program and its engine processes used over a
# quiet stretch, as a share of one CPU.
#
#   bench/idle_cpu.sh [program] [page counts...]     (defaults: build/bin/brivo, 1 25)
#   BRIVO_IDLE_SECONDS (20) and BRIVO_SETTLE_SECONDS (15) change the two stretches.
#
# The program runs from a copy in a temporary folder, so its settings file (beside the executable)
# and its profile (under a temporary home) are fresh and nothing of the user's is touched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "${1:-$root/build/bin/brivo}")"
shift || true
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1 25)
idle="${BRIVO_IDLE_SECONDS:-20}"
settle="${BRIVO_SETTLE_SECONDS:-15}"
tick="$(getconf CLK_TCK)"

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/pages" "$work/bin"
cp "$program" "$work/bin/brivo"
for i in $(seq 1 50); do
  {
    printf '<!DOCTYPE html><html><head><meta charset="utf-8"><title>Page %d</title></head><body>\n' "$i"
    printf '<h1>Page %d</h1>\n' "$i"
    for p in $(seq 1 20); do
      printf '<p>Paragraph %d of a quiet page: text and a <a href="#p%d">link</a>, nothing that moves.</p>\n' "$p" "$p"
    done
    printf '</body></html>\n'
  } > "$work/pages/page$i.html"
done

# the ticks (user + system) of a process, 0 once it is gone
ticks_of() {
  local stat
  stat="$(cat "/proc/$1/stat" 2>/dev/null)" || { echo 0; return; }
  # the fields after the command name, which may hold spaces, start at the state
  stat="${stat##*) }"
  read -r -a f <<< "$stat"
  echo $(( f[11] + f[12] ))
}

# the process and every descendant of it
family_of() {
  local pids=("$1") i=0
  while [ $i -lt ${#pids[@]} ]; do
    for c in $(cat /proc/"${pids[$i]}"/task/*/children 2>/dev/null); do
      pids+=("$c")
    done
    i=$((i + 1))
  done
  echo "${pids[@]}"
}

Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$work/display")"

printf '%-6s %-10s %-10s %-10s %s\n' pages program engine total "processes"
for n in "${counts[@]}"; do
  rm -rf "$work/home"
  mkdir -p "$work/home"
  {
    printf '[OpenedBrowsers]\n'
    for i in $(seq 1 "$n"); do
      x=$(( (i % 10) * 20 ))
      printf '%d,%d,%d,%d,0,%d=file://%s/pages/page%d.html\n' "$x" "$x" $((x + 640)) $((x + 480)) $((i - 1)) "$work" "$i"
    done
  } > "$work/bin/brivo.ini"
  DISPLAY="$display" QT_QPA_PLATFORM=xcb HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" \
    "$work/bin/brivo" > "$work/out-$n.txt" 2>&1 &
  app_pid=$!
  sleep "$settle"
  if ! kill -0 "$app_pid" 2>/dev/null; then
    echo "the program ended before the measurement:" >&2
    cat "$work/out-$n.txt" >&2
    exit 1
  fi
  declare -A before=()
  for p in $(family_of "$app_pid"); do before[$p]="$(ticks_of "$p")"; done
  sleep "$idle"
  own=0 engine=0 procs=0
  for p in $(family_of "$app_pid"); do
    used=$(( $(ticks_of "$p") - ${before[$p]:-0} ))
    procs=$((procs + 1))
    if [ "$p" = "$app_pid" ]; then own=$used; else engine=$((engine + used)); fi
  done
  unset before
  pct() { awk -v t="$1" -v hz="$tick" -v s="$idle" 'BEGIN { printf "%.2f%%", 100 * t / hz / s }'; }
  printf '%-6s %-10s %-10s %-10s %s\n' "$n" "$(pct $own)" "$(pct $engine)" "$(pct $((own + engine)))" "$procs"
  kill "$app_pid" 2>/dev/null
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
done
