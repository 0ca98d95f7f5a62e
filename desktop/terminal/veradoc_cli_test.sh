#!/usr/bin/env bash
# Runs the built terminal converter as a user would and checks exit statuses
# and where its messages go. Usage: veradoc_cli_test.sh VERADOC EXAMPLE_PAGE
set -u
veradoc=$1
example=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}

"$veradoc" "$example" "$work/sample.htm" >"$work/out" 2>"$work/err" </dev/null
check "convert status" 0 $?
check "convert stdout" "Conversion completed successfully." "$(head -1 "$work/out")"
check "convert stderr" "" "$(cat "$work/err")"
[ -s "$work/sample.htm" ] || { echo "FAIL no destination written"; failures=$((failures + 1)); }

"$veradoc" "$example" "$work/sample.htm" >"$work/out" 2>"$work/err" </dev/null
check "refused overwrite status" 2 $?
grep -q '^Destination file ".*" already exists\.$' "$work/err" || { echo "FAIL question not printed"; failures=$((failures + 1)); }

"$veradoc" --yes "$example" "$work/sample.htm" >"$work/out" 2>"$work/err" </dev/null
check "--yes status" 0 $?

"$veradoc" "$work/missing.htm" "$work/x.htm" >"$work/out" 2>"$work/err" </dev/null
check "missing source status" 2 $?
check "missing source stderr" "The source path \"$work/missing.htm\" does not exist." "$(cat "$work/err")"
check "missing source stdout" "" "$(cat "$work/out")"

"$veradoc" "$example" "$work/none/x.htm" >"$work/out" 2>"$work/err" </dev/null
check "failed conversion status" 1 $?
check "failed conversion stderr" "Could not perform conversion.
veradoc: cannot write '$work/none/x.htm': No such file or directory" "$(cat "$work/err")"

"$veradoc" >"$work/out" 2>"$work/err" </dev/null
check "usage status" 2 $?
"$veradoc" --version >"$work/out" 2>"$work/err"
check "version" "veradoc 1.0.0.1" "$(cat "$work/out")"

[ "$failures" -eq 0 ] && echo "all checks passed"
exit $((failures > 0))
