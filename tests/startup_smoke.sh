#!/usr/bin/env bash
# Starts the program on a local page with a fresh home folder and checks that it comes up and stays up
# (a failure in the start-up block ends the process early), then ends it.
set -u
program="$1"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
page="$home/start.html"
printf '<html><head><title>Smoke</title></head><body>hello</body></html>' > "$page"
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
  "$program" "$page" > "$home/out.txt" 2>&1 &
pid=$!
for _ in $(seq 1 10); do
  sleep 1
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "the program ended during start-up with code $?"
    cat "$home/out.txt"
    exit 1
  fi
done
kill "$pid"
wait "$pid" 2>/dev/null
# the profile and its folders were made under the fresh home, nowhere else
if [ ! -d "$home/.local/share/brivo/webengine" ]; then
  echo "no web-engine profile under the data folder"
  exit 1
fi
# the engine's set-up report is not shown unless the user asks for it
if grep -q "Init Parameters" "$home/out.txt"; then
  echo "the engine's set-up report was shown:"
  cat "$home/out.txt"
  exit 1
fi
echo "started and stayed up"
