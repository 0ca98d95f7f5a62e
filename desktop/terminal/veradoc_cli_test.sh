#!/usr/bin/env bash
# Runs the built terminal converter as a user would and checks exit statuses
# and where its messages go. Usage: veradoc_cli_test.sh VERADOC EXAMPLE_PAGE
set -u
veradoc=$1
example=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../../testing/checks.sh"

"$veradoc" "$example" "$work/sample.htm" >"$work/out" 2>"$work/err" </dev/null
expect "convert status" 0 $?
expect "convert stdout" "Conversion completed successfully." "$(head -1 "$work/out")"
expect "convert stderr" "" "$(cat "$work/err")"
[ -s "$work/sample.htm" ] || fail "no destination written"

"$veradoc" "$example" "$work/sample.htm" >"$work/out" 2>"$work/err" </dev/null
expect "refused overwrite status" 2 $?
grep -q '^Destination file ".*" already exists\.$' "$work/err" || fail "question not printed"

"$veradoc" --yes "$example" "$work/sample.htm" >"$work/out" 2>"$work/err" </dev/null
expect "--yes status" 0 $?

"$veradoc" "$work/missing.htm" "$work/x.htm" >"$work/out" 2>"$work/err" </dev/null
expect "missing source status" 2 $?
expect "missing source stderr" "The source path \"$work/missing.htm\" does not exist." "$(cat "$work/err")"
expect "missing source stdout" "" "$(cat "$work/out")"

"$veradoc" "$example" "$work/none/x.htm" >"$work/out" 2>"$work/err" </dev/null
expect "failed conversion status" 1 $?
expect "failed conversion stderr" "Could not perform conversion.
veradoc: cannot write '$work/none/x.htm': No such file or directory" "$(cat "$work/err")"

"$veradoc" >"$work/out" 2>"$work/err" </dev/null
expect "usage status" 2 $?
"$veradoc" --version >"$work/out" 2>"$work/err"
expect "version" "veradoc 1.0.0.1" "$(cat "$work/out")"

finish "veradoc as a program"
