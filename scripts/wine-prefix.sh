#!/usr/bin/env bash
# Prepares the 32-bit Wine prefix of a Windows build folder and starts a
# persistent wineserver for it, so that tests can run in parallel.
#   scripts/wine-prefix.sh BUILD_DIR        create (once), start and warm up
#   scripts/wine-prefix.sh BUILD_DIR stop   stop this prefix's server only
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all LC_ALL=C.UTF-8

if [ "${2:-}" = stop ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w
  # A crashing test must end with an exit code, not wait in a dialog; windows
  # get captions from Wine itself when no window manager runs.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
  wineserver -w
fi
# Background processes of the session must not hold the caller's pipes open.
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1 || true
