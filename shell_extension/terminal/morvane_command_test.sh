#!/bin/sh
# The morvane program as a user runs it: exit statuses, streams and the
# remembered destination folder. Usage: morvane_command_test.sh PATH-TO-MORVANE
morvane=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
failures=0
expect() {  # expect STATUS DESCRIPTION -- ARGS...
  want=$1 what=$2
  shift 3
  "$morvane" "$@" >"$work/stdout" 2>"$work/err" </dev/null
  got=$?
  if [ "$got" != "$want" ]; then
    echo "FAIL: $what: exit $got, expected $want"; cat "$work/stdout" "$work/err"; failures=$((failures + 1))
  fi
}
mkdir -p "$work/site/img"
printf '<P>home</P>\n' >"$work/site/index.htm"
printf 'GIF' >"$work/site/img/logo.gif"
printf 'nul\000' >"$work/bad.htm"

expect 0 "help" -- --help
expect 2 "no operands" --
expect 2 "unknown option" -- --nope "$work/site"
expect 2 "no destination yet" -- "$work/site"
expect 1 "show without a destination" -- --show-dest
expect 0 "convert with --dest" -- --dest "$work/out" "$work/site"
grep -qx 'Tarnwick Conversion: Operation has completed successfully.' "$work/stdout" || { echo "FAIL: final message"; failures=$((failures + 1)); }
[ -f "$work/out/index.htm" ] && [ -f "$work/out/img/logo.gif" ] || { echo "FAIL: output tree"; failures=$((failures + 1)); }
expect 0 "show the remembered destination" -- --show-dest
[ "$(cat "$work/stdout")" = "$work/out" ] || { echo "FAIL: remembered folder"; failures=$((failures + 1)); }
expect 0 "convert into the remembered destination" -- "$work/site/index.htm"
[ -f "$work/out/TWBACKUP/index.htm" ] || { echo "FAIL: backup"; failures=$((failures + 1)); }
expect 2 "missing operand" -- "$work/missing.htm"
expect 1 "engine failure" -- "$work/bad.htm"
grep -q 'Operation has failed.' "$work/err" || { echo "FAIL: failure message"; failures=$((failures + 1)); }
expect 2 "set-dest to a file" -- --set-dest "$work/bad.htm"
expect 0 "set-dest" -- --set-dest "$work/site"
exit $((failures > 0))
