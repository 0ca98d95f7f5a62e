#!/usr/bin/env bash
# Installs, as root on Debian, what the builds and tests need and is missing.
# Safe to run repeatedly: it only calls apt-get when a tool is absent.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have cmake || need+=(cmake)
have g++ || need+=(g++)
have ninja || need+=(ninja-build)
have clang++ || need+=(clang)
pkg_installed libclang-rt-14-dev || need+=(libclang-rt-14-dev)
pkg_installed libgtest-dev || need+=(libgtest-dev)
pkg_installed googletest || need+=(googletest)
pkg_installed libbenchmark-dev || need+=(libbenchmark-dev)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686 mingw-w64-tools)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have xvfb-run || need+=(xvfb)
have xauth || need+=(xauth)  # xvfb-run needs it; xvfb only recommends it
have javac || need+=(default-jdk-headless)
have chromium || need+=(chromium)
have import || need+=(imagemagick)
have xdotool || need+=(xdotool x11-apps)
have llvm-readobj || need+=(llvm)
have makensis || need+=(nsis)
# The Debian package of the terminal tools: manual pages, dependencies, checks.
have help2man || need+=(help2man)
have dpkg-shlibdeps || need+=(dpkg-dev)
have file || need+=(file)
have man || need+=(man-db)
have lintian || need+=(lintian)
pkg_installed wine32:i386 || need+=(wine wine32:i386 wine64)
pkg_installed wine64 || need+=(wine64)  # the 64-bit loader of the 64-bit Windows tests

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${need[*]} (run this script as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [[ " ${need[*]} " == *" wine32:i386 "* ]]; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
