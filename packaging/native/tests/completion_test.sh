#!/usr/bin/env bash
# The bash completion against the built tools and against a stand-in whose
# --help uses the other usual ways of writing options.
#   completion_test.sh COMPLETION-SCRIPT VERADOC MORVANE TAGSMITH
set -u
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/cwd/sub"
: >"$work/cwd/subfile"
for tool in "$2" "$3" "$4"; do ln -s "$tool" "$work/bin/$(basename "$tool")"; done
cat >"$work/bin/stand-in" <<'HELP'
#!/bin/sh
cat <<'TEXT'
Usage: stand-in [OPTION]... FILE...
  -j, --jobs=N          run N at once
      --color[=WHEN]    colour the output
  -o FILE               write to FILE
  -k, --keep-going      go on after a failure
  -a, --all             everything
TEXT
HELP
chmod +x "$work/bin/stand-in"
PATH=$work/bin:$PATH
cd "$work/cwd" || exit 1
# shellcheck source=/dev/null
source "$script"

. "$(dirname "$0")/../../../testing/checks.sh"
# complete WORD... : what completing the last word offers, sorted, on one line.
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _tarnwick 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' '
}
# offers OFFERED WORD...: completing the last word offers OFFERED.
offers() {
  local want=$1; shift
  expect "'$*'" "$want" "$(complete_words "$@")"
}

# offered                                words
offers "--help --ods --quiet --version --yes" veradoc --
offers "--set-dest --show-dest"          morvane --s
offers "sub"                             morvane --dest su      # a folder only
offers "sub"                             morvane -d su
offers "sub"                             morvane --dest = su    # --dest=su, as bash splits it
offers "sub"                             morvane --set-dest ''
offers "sub subfile"                     morvane --show-dest su # takes nothing: a path
offers "sub subfile"                     tagsmith su
offers "sub subfile"                     veradoc --ods su
offers "--jobs"                          stand-in --j
offers ""                                stand-in -j ''         # a number
offers ""                                stand-in --jobs = ''
offers "sub subfile"                     stand-in --color su    # optional: only after "="
offers ""                                stand-in --color = ''
offers "sub subfile"                     stand-in -o su
offers "--keep-going"                    stand-in --k
offers "--all --color --jobs --keep-going -a -j -k -o" stand-in -

# Every long option a tool's --help names is offered.
for tool in veradoc morvane tagsmith; do
  named=$("$tool" --help | grep -oE -- '--[a-z][a-z-]+' | LC_ALL=C sort -u | paste -sd ' ')
  offers "$named" "$tool" --
done

finish completion
