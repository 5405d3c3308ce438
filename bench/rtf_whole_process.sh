#!/usr/bin/env bash
# Reading densely formatted RTF as a whole process, against unrtf (Debian's package) turning the same
# files into text. bench_rtf writes the files (1 MiB and 10 MiB of runs that change font, colour,
# bold, italic and underline every few words, with Japanese as \uN codes: the same bytes every time)
# and, with "--read", reads one into a document and ends. Each figure is the median (with the lowest
# and highest) of the runs' wall-clock times in milliseconds, after one run not counted that warms
# the disk cache. unrtf keeps no formatting; our reader keeps all of it.
#
#   bench/rtf_whole_process.sh [bench_rtf] [runs]     (defaults: build/bench/bench_rtf, 7)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
reader="$(realpath "${1:-$root/build/bench/bench_rtf}")"
runs="${2:-7}"
command -v unrtf > /dev/null || {
  echo "unrtf is not installed (apt-get install unrtf)" >&2
  exit 1
}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"

median_of() { sort -n | awk '{ v[NR] = $1 } END { printf "%s (%s..%s)", (NR % 2 ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)), v[1], v[NR] }'; }

# milliseconds each run of the command takes, one line per run
times_of() {
  local run start
  for run in $(seq 0 "$runs"); do
    start="${EPOCHREALTIME/[.,]/}"
    # unrtf writes the pictures it finds into its working folder: it runs in the temporary one
    (cd "$work" && "$@" > /dev/null 2>&1) || {
      echo "failed: $*" >&2
      exit 1
    }
    [ "$run" -gt 0 ] && echo $(((${EPOCHREALTIME/[.,]/} - start) / 1000))
  done
}

printf '%-8s %-22s %-22s\n' size "unrtf --text (ms)" "bench_rtf --read (ms)"
for mib in 1 10; do
  file="$work/dense-$mib.rtf"
  "$reader" --write-dense "$mib" "$file" 2> /dev/null
  unrtf_ms="$(times_of unrtf --text "$file" | median_of)"
  ours_ms="$(times_of "$reader" --read "$file" | median_of)"
  printf '%-8s %-22s %-22s\n' "${mib} MiB" "$unrtf_ms" "$ours_ms"
done
