#!/usr/bin/env bash
# regsvr32 registers and unregisters the real MORVANE.DLL, and the registry,
# read back with reg, holds exactly the server's keys and values. A 64-bit DLL
# (BITS 64, in a 64-bit prefix) writes them into the 64-bit registry view only.
#   regsvr32_test.sh WINE-RUN DLL WORK-DIR BITS
set -u
run=$1
dll=$2
work=$3
bits=$4
clsid='{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}'
class_key="HKCR\\CLSID\\$clsid"
hooks=('HKCR\*\shellex\ContextMenuHandlers\Morvane' 'HKCR\Folder\shellex\ContextMenuHandlers\Morvane'
       'HKCR\Drive\shellex\ContextMenuHandlers\Morvane' 'HKCR\Directory\shellex\ContextMenuHandlers\Morvane')
. "$(dirname "$0")/../../../testing/checks.sh"

wine_run() { "$run" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# The key's own values and subkeys as reg lists them, one line each, with the
# columns separated by '|'.
listing() { wine_run reg query "$@" | sed -E '/^$/d; s/^ +//; s/ {4}/|/g'; }
expect_listing() {
  local what=$1 expected=$2; shift 2
  local got
  got=$(listing "$@")
  [ "$got" = "$expected" ] || fail "$what: expected
$expected
got
$got"
}
regsvr32() { wine_run regsvr32 /s "$@" >/dev/null; echo $?; }
key_exists() { wine_run reg query "$@" >/dev/null; }

rm -rf "$work"
mkdir -p "$work"
cp "$dll" "$work/MORVANE.DLL"
cp "$dll" "$work/OTHER.DLL"
win_dll=$(wine_run winepath -w "$work/MORVANE.DLL")
win_other=$(wine_run winepath -w "$work/OTHER.DLL")
wine_run reg delete "$class_key" /f >/dev/null

# --- unregistering first fails at once ---------------------------------------
[ "$(regsvr32 /u "$win_dll")" = 5 ] || fail "unregistering before registering must fail"

# --- registering twice leaves exactly the same keys and values ---------------
for round in 1 2; do
  [ "$(regsvr32 "$win_dll")" = 0 ] || fail "registration $round failed"
  expect_listing "class key (round $round)" "$(printf '%s\n' \
    "HKEY_CLASSES_ROOT\\CLSID\\$clsid" \
    '(Default)|REG_SZ|Tarnwick Conversion Shell Extension' \
    "HKEY_CLASSES_ROOT\\CLSID\\$clsid\\InprocServer32" \
    "(Default)|REG_SZ|$win_dll" \
    'ThreadingModel|REG_SZ|Apartment')" "$class_key" /s
  for hook in "${hooks[@]}"; do
    expect_listing "$hook" "$(printf '%s\n' "${hook/HKCR/HKEY_CLASSES_ROOT}" "(Default)|REG_SZ|$clsid")" "$hook" /s
  done
  expect_listing "product key" 'HKEY_LOCAL_MACHINE\Software\Tarnwick\Morvane\1.0.0.1' \
    'HKLM\Software\Tarnwick\Morvane' /s
  if [ "$bits" = 64 ]; then
    # 32-bit programs see neither the class nor the product key: a 32-bit
    # process could not load this server, and the 32-bit DLL keeps its own.
    # (The shell's hook keys are shared by both views.)
    for key in "$class_key" 'HKLM\Software\Tarnwick\Morvane'; do
      key_exists "$key" /reg:32 && fail "$key is visible in the 32-bit view"
    done
  fi
done

# --- unregistering removes them all, leaving the vendor key ------------------
[ "$(regsvr32 /u "$win_dll")" = 0 ] || fail "unregistration failed"
for key in "$class_key" "${hooks[@]}" 'HKLM\Software\Tarnwick\Morvane'; do
  key_exists "$key" && fail "$key still exists"
done
key_exists 'HKLM\Software\Tarnwick' || fail "HKLM\\Software\\Tarnwick was removed"
key_exists 'HKCR\Directory\shellex\ContextMenuHandlers' || fail "the shell's handler key was removed"
[ "$(regsvr32 /u "$win_dll")" = 5 ] || fail "unregistering twice must fail"

# --- a copy under another file name fails at the module lookup ---------------
[ "$(regsvr32 "$win_other")" = 5 ] || fail "registration under another name must fail"
expect_listing "class key left by the failed registration" "$(printf '%s\n' \
  "HKEY_CLASSES_ROOT\\CLSID\\$clsid" \
  '(Default)|REG_SZ|Tarnwick Conversion Shell Extension' \
  "HKEY_CLASSES_ROOT\\CLSID\\$clsid\\InprocServer32")" "$class_key" /s
for hook in "${hooks[@]}"; do key_exists "$hook" && fail "$hook written by a failed registration"; done
wine_run reg delete "$class_key" /f >/dev/null

finish "regsvr32 round trip"
