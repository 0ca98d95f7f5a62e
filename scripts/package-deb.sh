#!/usr/bin/env bash
# Builds the Debian package of the terminal tools, build/deb/tarnwick_VERSION_ARCH.deb,
# with Debian's own compiler and linker flags (hardening included):
#   scripts/package-deb.sh             build it and print its path
#   scripts/package-deb.sh --install   ...and install it with apt-get (as root, or through sudo)
# Needs cmake, ninja, g++, help2man and dpkg-dev (scripts/install-deps.sh installs them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/deb

for tool in cmake ninja g++ help2man dpkg-buildflags dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "package-deb: $tool is missing (run scripts/install-deps.sh as root)" >&2; exit 1; }
done

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# CMake reads no CPPFLAGS: the preprocessor's flags go with the compilers'.
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" >/dev/null
rm -f "$build"/tarnwick_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tarnwick_*.deb)
echo "$deb"

if [ "${1:-}" = --install ]; then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get install -y "$deb"
fi
