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
# Where no graphics device could draw (no DRI card or render node, no NVIDIA or WSL device), OpenGL
# could only be a software rasteriser and the pages are drawn in software anyway: the program starts
# without the graphics library (tens of megabytes), says nothing about it, and the processes it
# starts get the environment it was given.
graphics_device=""
for d in /dev/dri/card* /dev/dri/renderD* /dev/nvidia* /dev/dxg; do
  [ -e "$d" ] && graphics_device="$d"
done
if [ -z "$graphics_device" ] && [ -z "${QT_QUICK_BACKEND:-}${QSG_RHI_BACKEND:-}${QT_XCB_GL_INTEGRATION:-}" ]; then
  if grep -E 'swrast_dri|libLLVM|libGLX_mesa|libEGL_mesa' "/proc/$pid/maps" > "$home/gl.txt"; then
    echo "the graphics library was loaded without a graphics device to draw on:"
    cat "$home/gl.txt"
    kill "$pid"
    exit 1
  fi
  for child in $(cat /proc/"$pid"/task/*/children 2> /dev/null); do
    if tr '\0' '\n' < "/proc/$child/environ" | grep -E '^(QT_XCB_GL_INTEGRATION|QT_QPA_OFFSCREEN_NO_GLX)='; then
      echo "the engine's processes were started with the variables that kept the graphics library out"
      kill "$pid"
      exit 1
    fi
  done
  if grep -E 'Cannot create platform OpenGL context|No suitable graphics backend' "$home/out.txt"; then
    echo "the start without the graphics library was told on the terminal"
    kill "$pid"
    exit 1
  fi
fi
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
