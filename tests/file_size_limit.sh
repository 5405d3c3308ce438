#!/usr/bin/env bash
# Starts the program with a fresh home folder under a file-size limit far below what its first writes
# need (the history database, the settings file). A write past the limit must fail like any other
# failed write, never end the process by its signal; the program has to come up and stay up.
set -u
program="$1"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
if ! command -v prlimit > /dev/null; then
  echo "prlimit is not installed"
  exit 77
fi
page="$home/start.html"
printf '<html><head><title>Limit</title></head><body>small</body></html>' > "$page"
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
  prlimit --fsize=1024 -- "$program" "$page" > "$home/out.txt" 2>&1 &
pid=$!
for _ in $(seq 1 16); do
  sleep 0.5
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    code=$?
    echo "the program ended during start-up with code $code (153 is the file-size signal)"
    cat "$home/out.txt"
    exit 1
  fi
done
kill "$pid"
wait "$pid" 2>/dev/null
echo "started under the file-size limit and stayed up"
