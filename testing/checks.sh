# Checks for test scripts, sourced: a failed check prints "FAIL: ..." and is
# counted; the script ends with `finish WHAT`, whose exit status is 0 when no
# check failed and 1 otherwise.
#   . "$(dirname "$0")/../../testing/checks.sh"
failures=0
# fail WHAT...
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect NAME EXPECTED ACTUAL
expect() { [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"; }
# contains NAME NEEDLE FILE
contains() { grep -qF -- "$2" "$3" || fail "$1: [$2] not in: $(cat "$3")"; }
# finish WHAT
finish() {
  if [ "$failures" -eq 0 ]; then
    echo "$1: all checks passed"
    exit 0
  fi
  echo "$1: $failures check(s) failed"
  exit 1
}
