#!/bin/sh
# The morvane program as a user runs it: exit statuses, streams and the
# remembered destination folder. Usage: morvane_command_test.sh PATH-TO-MORVANE
morvane=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
. "$(dirname "$0")/../../testing/checks.sh"
runs() {  # runs STATUS DESCRIPTION -- ARGS...
  want=$1 what=$2
  shift 3
  "$morvane" "$@" >"$work/stdout" 2>"$work/err" </dev/null
  got=$?
  if [ "$got" != "$want" ]; then
    fail "$what: exit $got, expected $want"; cat "$work/stdout" "$work/err"
  fi
}
mkdir -p "$work/site/img"
printf '<P>home</P>\n' >"$work/site/index.htm"
printf 'GIF' >"$work/site/img/logo.gif"
printf 'nul\000' >"$work/bad.htm"

runs 0 "help" -- --help
runs 2 "no operands" --
runs 2 "unknown option" -- --nope "$work/site"
runs 2 "no destination yet" -- "$work/site"
runs 1 "show without a destination" -- --show-dest
runs 0 "convert with --dest" -- --dest "$work/out" "$work/site"
grep -qx 'Tarnwick Conversion: Operation has completed successfully.' "$work/stdout" || fail "final message"
[ -f "$work/out/index.htm" ] && [ -f "$work/out/img/logo.gif" ] || fail "output tree"
runs 0 "show the remembered destination" -- --show-dest
[ "$(cat "$work/stdout")" = "$work/out" ] || fail "remembered folder"
runs 0 "convert into the remembered destination" -- "$work/site/index.htm"
[ -f "$work/out/TWBACKUP/index.htm" ] || fail "backup"
runs 2 "missing operand" -- "$work/missing.htm"
runs 1 "engine failure" -- "$work/bad.htm"
grep -q 'Operation has failed.' "$work/err" || fail "failure message"
runs 2 "set-dest to a file" -- --set-dest "$work/bad.htm"
runs 0 "set-dest" -- --set-dest "$work/site"
finish "morvane as a program"
