#!/usr/bin/env bash
# Prepares the Wine prefix of a Windows build folder (32-bit or 64-bit, as the
# build's wine-env.sh says) and starts a persistent wineserver for it, so that
# tests can run in parallel.
#   scripts/wine-prefix.sh BUILD_DIR        create (once), start and warm up
#   scripts/wine-prefix.sh BUILD_DIR stop   stop this prefix's server only
set -euo pipefail
build=$(cd "$1" && pwd)
if [ ! -f "$build/wine-env.sh" ]; then
  echo "$build/wine-env.sh is missing: configure the Windows build first" >&2
  exit 1
fi
. "$build/wine-env.sh"
export WINEDEBUG=-all

if [ "${2:-}" = stop ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$TW_WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w
  # A crashing test must end with an exit code, not wait in a dialog; windows
  # get captions from Wine itself when no window manager runs.
  "$TW_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  "$TW_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
  wineserver -w
fi
# Background processes of the session must not hold the caller's pipes open.
wineserver -p </dev/null >/dev/null 2>&1
"$TW_WINE" wineboot </dev/null >/dev/null 2>&1 || true
