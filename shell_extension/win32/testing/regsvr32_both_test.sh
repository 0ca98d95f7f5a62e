#!/usr/bin/env bash
# On 64-bit Windows both MORVANE.DLLs are registered: the 64-bit one for
# Explorer, the 32-bit one for the file dialogs of 32-bit programs. In a
# 64-bit prefix, each registration keeps its class and product key in its own
# registry view, the shell's hook keys are shared, and unregistering both
# leaves nothing behind.
#   regsvr32_both_test.sh WINE-RUN DLL64 WORK-DIR [DLL32]
# Exits 77 (skipped) when the 32-bit DLL is not given or not built.
set -u
run=$1
dll64=$2
work=$3
dll32=${4:-}
clsid='{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}'
server_key="HKCR\\CLSID\\$clsid\\InprocServer32"
hooks=('HKCR\*\shellex\ContextMenuHandlers\Morvane' 'HKCR\Folder\shellex\ContextMenuHandlers\Morvane'
       'HKCR\Drive\shellex\ContextMenuHandlers\Morvane' 'HKCR\Directory\shellex\ContextMenuHandlers\Morvane')
. "$(dirname "$0")/../../../testing/checks.sh"

if [ -z "$dll32" ] || [ ! -f "$dll32" ]; then
  echo "SKIPPED: no 32-bit DLL ${dll32:-given (TW_OTHER_MORVANE_DLL)}"
  exit 77
fi

wine_run() { "$run" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
regsvr32() { wine_run regsvr32 /s "$@" >/dev/null; echo $?; }
key_exists() { wine_run reg query "$@" >/dev/null; }
# The default value of a key as the reg of the given view lists it.
default_value() { wine_run reg query "$1" /ve "$2" | sed -nE 's/^ +\(Default\) +REG_SZ +//p'; }

rm -rf "$work"
mkdir -p "$work/x64" "$work/x86"
cp "$dll64" "$work/x64/MORVANE.DLL"
cp "$dll32" "$work/x86/MORVANE.DLL"
win64=$(wine_run winepath -w "$work/x64/MORVANE.DLL")
win32=$(wine_run winepath -w "$work/x86/MORVANE.DLL")

# regsvr32 hands the 32-bit DLL to its 32-bit self.
[ "$(regsvr32 "$win32")" = 0 ] || fail "registering the 32-bit DLL failed"
[ "$(regsvr32 "$win64")" = 0 ] || fail "registering the 64-bit DLL failed"
[ "$(default_value "$server_key" /reg:64)" = "$win64" ] || fail "the 64-bit view does not name the 64-bit DLL"
[ "$(default_value "$server_key" /reg:32)" = "$win32" ] || fail "the 32-bit view does not name the 32-bit DLL"
for view in /reg:32 /reg:64; do
  key_exists 'HKLM\Software\Tarnwick\Morvane\1.0.0.1' "$view" || fail "no product key in view $view"
done
for hook in "${hooks[@]}"; do
  [ "$(default_value "$hook" /reg:64)" = "$clsid" ] || fail "$hook does not name the class"
done

# The hook keys are shared, so whichever DLL is unregistered second finds them
# gone and reports failure; by then its own keys are deleted all the same.
[ "$(regsvr32 /u "$win64")" = 0 ] || fail "unregistering the 64-bit DLL failed"
[ "$(default_value "$server_key" /reg:32)" = "$win32" ] || fail "the 32-bit registration went with the 64-bit one"
[ "$(regsvr32 /u "$win32")" = 5 ] || fail "unregistering the 32-bit DLL second must stop at the shared hooks"
for view in /reg:32 /reg:64; do
  for key in "HKCR\\CLSID\\$clsid" 'HKLM\Software\Tarnwick\Morvane'; do
    key_exists "$key" "$view" && fail "$key is left in view $view"
  done
done
for hook in "${hooks[@]}"; do key_exists "$hook" && fail "$hook is left"; done

finish "both registrations"
