#!/usr/bin/env bash
# The run script installs the program outside the build tree and starts it from there: the settings
# file beside the installed program survives a clean build, and a second install keeps the user's
# settings. The virtual screen is replaced by a stand-in that records how it was asked to start the
# program, so nothing is shown.
set -u
script="$1"
build="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/stubs"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "%s/started"\n' "$work" > "$work/stubs/xvfb-run"
chmod +x "$work/stubs/xvfb-run"
prefix="$work/opt/brivo"
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/stubs:$PATH" BRIVO_PREFIX="$prefix" BRIVO_BUILD_DIR="$build" \
    "$script" "http://127.0.0.1:1/page.html" > "$work/out.txt" 2>&1 || { cat "$work/out.txt"; echo "the run script failed"; exit 1; }
}
run
[ -x "$prefix/brivo" ] || { echo "the program was not installed in the prefix"; exit 1; }
[ -f "$prefix/help/index.html" ] || { echo "the help pages were not installed beside the program"; exit 1; }
grep -q '^\[' "$prefix/brivo.ini" || { echo "no default settings beside the installed program"; exit 1; }
grep -qx "$prefix/brivo" "$work/started" || { cat "$work/started"; echo "the installed program was not the one started"; exit 1; }
grep -qx "http://127.0.0.1:1/page.html" "$work/started" || { echo "the address was not handed on"; exit 1; }
# the user's own settings stay through the next install
printf '[Mine]\nKept=1\n' > "$prefix/brivo.ini"
run
grep -qx 'Kept=1' "$prefix/brivo.ini" || { echo "a second install overwrote the user's settings"; exit 1; }
echo "installed outside the build tree and started from there"
