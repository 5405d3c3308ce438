#!/usr/bin/env bash
# On a machine that is set up, the install script calls no package tool: every package it checks is a
# real one that dpkg can report as installed (a virtual name never is, and would trigger apt-get on
# every run). apt-get and sudo are replaced by stand-ins that record any call.
set -u
script="$1"
stubs="$(mktemp -d)"
trap 'rm -rf "$stubs"' EXIT
for tool in apt-get sudo; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\nexit 1\n' "$tool" "$stubs" > "$stubs/$tool"
  chmod +x "$stubs/$tool"
done
PATH="$stubs:$PATH" "$script" > "$stubs/out.txt" 2>&1
code=$?
if [ -s "$stubs/calls" ]; then
  echo "the install script called a package tool on a set-up machine:"
  cat "$stubs/calls" "$stubs/out.txt"
  exit 1
fi
if [ "$code" -ne 0 ]; then
  echo "the install script failed with code $code"
  cat "$stubs/out.txt"
  exit 1
fi
echo "no package tool called"
