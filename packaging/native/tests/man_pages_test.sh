#!/usr/bin/env bash
# The manual pages made at build time: man reads them without a warning, and
# each one has the sections a user looks for and names every option that the
# tool's --help names.
#   man_pages_test.sh MAN-DIR VERADOC MORVANE TAGSMITH
set -u
dir=$1; shift
. "$(dirname "$0")/../../../testing/checks.sh"

for tool in "$@"; do
  name=$(basename "$tool")
  page=$dir/$name.1.gz
  if [ ! -f "$page" ]; then fail "$page missing"; continue; fi
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$name.1: man warns: $warnings"
  text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null | col -b)
  for section in NAME SYNOPSIS DESCRIPTION 'EXIT STATUS' FILES EXAMPLES 'SEE ALSO'; do
    grep -qx "$section" <<<"$text" || fail "$name.1: no $section section"
  done
  grep -qE "^ +$name - " <<<"$text" || fail "$name.1: NAME does not name $name"
  # Each usage form of --help (the "Usage:" line and the lines right below it
  # that name the tool again) is a line of SYNOPSIS.
  forms=$("$tool" --help | awk -v tool="$name" '
    /^Usage:/ { n = 1; next }
    n && $0 ~ "^ +(or: +)?" tool "( |$)" { n++; next }
    n { exit }
    END { print n + 0 }')
  synopsis=$(sed -n '/^SYNOPSIS$/,/^[A-Z]/p' <<<"$text" | grep -cE "^ +$name( |$)")
  [ "$forms" = "$synopsis" ] || fail "$name.1: SYNOPSIS has $synopsis of the $forms usage forms of --help"
  for option in $("$tool" --help | grep -oE -- '(^|[ ,[])--?[A-Za-z][A-Za-z-]*' | grep -oE -- '--?[A-Za-z][A-Za-z-]*' | sort -u); do
    grep -qF -- "$option" <<<"$text" || fail "$name.1: option $option of --help is missing"
  done
  version=$("$tool" --version | head -1)
  grep -qF -- "${version##* }" <<<"$text" || fail "$name.1: no version ${version##* }"
done
finish "manual pages"
