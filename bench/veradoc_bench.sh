#!/usr/bin/env bash
# veradoc converting file to file beside cp copying the same files, in one
# interleaved run, into fresh destinations on the same file system, with the
# page cache warm:
#   bench/veradoc_bench.sh [BUILD_DIR [RUNS]]
# BUILD_DIR is a native build (default build/native), RUNS the rounds
# (default 7). Two sets: the real HTML pages of this machine
# (/usr/share/doc, copied under names of their own, at least 20 MB when the
# machine has them) and one 10 MB generated page dense with objects, inputs
# and scripts. Prints the median seconds of each command and veradoc's speed
# as a fraction of cp's (cp time / veradoc time).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
runs=${2:-7}
veradoc=$build/desktop/terminal/veradoc
page_tool=$build/bench/bench_page
writer=$build/bench/tree_writer
for tool in "$veradoc" "$page_tool" "$writer"; do
  [ -x "$tool" ] || { echo "veradoc_bench: no $tool (build the native tree first)" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1700000000

mkdir -p "$work/real" "$work/dense"
n=0
while IFS= read -r -d '' page; do
  # Pages with a NUL byte are refused by the converter: left out of both.
  if ! tr -d '\000' <"$page" | cmp -s - "$page"; then continue; fi
  n=$((n + 1))
  cp "$page" "$work/real/$(printf '%05d' "$n").htm"
done < <(find /usr/share/doc -name '*.htm*' -type f -print0 2>/dev/null | sort -z)
"$page_tool" convertible 10 "$work/dense/dense.htm"

# shellcheck source=bench/timing.sh
source "$root/bench/timing.sh"

# compare NAME FOLDER: cp and veradoc of every page of FOLDER into a fresh
# folder, RUNS rounds each, interleaved; and, as the floor under veradoc's
# time, the same pages read whole and veradoc's output written from them
# (bench/tree_writer safe of the first round's output: each file unnamed,
# then linked into place, as veradoc writes). It reads veradoc's output
# rather than the pages, a little more where the output is larger.
compare() {
  local name=$1 folder=$2 cp_times="" vd_times="" out_times="" t
  local pages=("$folder"/*.htm)
  cat "${pages[@]}" >/dev/null  # the page cache warm for both
  # A folder of its own for every run (see bench/morvane_bench.sh: files
  # created just after many were deleted are slow on ext4).
  for round in $(seq 1 "$runs"); do
    mkdir "$work/out-$name-$round-cp" "$work/out-$name-$round-vd" && sync
    t=$(seconds cp "${pages[@]}" "$work/out-$name-$round-cp/"); cp_times+="$t "
    t=$(seconds "$veradoc" -q --yes "${pages[@]}" "$work/out-$name-$round-vd/"); vd_times+="$t "
    t=$(seconds "$writer" safe "$work/out-$name-1-vd" "$work/out-$name-$round-out"); out_times+="$t "
  done
  local cp vd out
  cp=$(tr ' ' '\n' <<<"$cp_times" | grep . | median)
  vd=$(tr ' ' '\n' <<<"$vd_times" | grep . | median)
  out=$(tr ' ' '\n' <<<"$out_times" | grep . | median)
  local title="generated page dense with controls"
  [ "$name" = real ] && title="real pages (/usr/share/doc)"
  printf '%-34s %s pages, %s; veradoc writes %s\n' "$title" "${#pages[@]}" "$(du -sh "$folder" | cut -f1)" \
    "$(du -sh "$work/out-$name-1-vd" | cut -f1)"
  printf '  cp                     %8.3f s\n' "$cp"
  printf '  writing veradoc output %8.3f s   %.2f of cp'"'"'s speed\n' "$out" "$(awk -v a="$cp" -v b="$out" 'BEGIN { print a / b }')"
  printf '  veradoc                %8.3f s   %.2f of cp'"'"'s speed\n' "$vd" "$(awk -v a="$cp" -v b="$vd" 'BEGIN { print a / b }')"
}

[ "$n" -gt 0 ] && compare real "$work/real"
compare dense "$work/dense"
