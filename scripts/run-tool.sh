#!/usr/bin/env bash
# Runs one of the native terminal tools from a checkout, building it first
# whenever anything it is made of changed, so that a stale binary never runs:
#   scripts/run-tool.sh veradoc|morvane|tagsmith [ARGS...]
# The wrappers ./veradoc, ./morvane and ./tagsmith call this. The build lives
# in build/native (the same folder as the test build); it needs CMake, Ninja
# and g++, not GoogleTest. CMAKE_BUILD_PARALLEL_LEVEL sets the number of
# compile jobs, as for any CMake build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tool=$1
shift
case "$tool" in
  veradoc) binary=desktop/terminal/veradoc ;;
  morvane) binary=shell_extension/terminal/morvane ;;
  tagsmith) binary=fileinfo/tagsmith ;;
  *) echo "run-tool.sh: no tool named '$tool'" >&2; exit 2 ;;
esac
build="$root/build/native"
log="$build/$tool-build.log"
mkdir -p "$build"

fail() {
  echo "$tool: $1 (see $log):" >&2
  tail -20 "$log" >&2
  exit 2
}

if [ ! -f "$build/build.ninja" ]; then
  echo "building $tool (first use)..." >&2
  cmake -S "$root" -B "$build" -G Ninja >"$log" 2>&1 || fail "configuring the native build failed"
elif [ ! -x "$build/$binary" ]; then
  echo "building $tool (first use)..." >&2
elif ! cmake --build "$build" --target "$tool" -- -n 2>/dev/null | grep -q 'no work to do'; then
  echo "building $tool (its sources changed)..." >&2
fi
cmake --build "$build" --target "$tool" >>"$log" 2>&1 || fail "building $tool failed"
exec "$build/$binary" "$@"
