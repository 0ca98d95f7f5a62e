#!/usr/bin/env bash
# morvane mirroring a generated site beside cp -r of the same tree, in one
# interleaved run, into fresh destinations on the same file system:
#   bench/morvane_bench.sh [BUILD_DIR [FILES [RUNS]]]
# BUILD_DIR is a native build (default build/native), FILES the size of the
# site (default 5000: pages, images and nested folders), RUNS the rounds
# (default 5). Prints the median seconds of each command and the ratios
# morvane -j 1 / cp -r and morvane -j N / cp -r, N being the processors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
files=${2:-5000}
runs=${3:-5}
morvane=$build/shell_extension/terminal/morvane
[ -x "$morvane" ] || { echo "morvane_bench: no $morvane (build the native tree first)" >&2; exit 2; }
jobs=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" SOURCE_DATE_EPOCH=1700000000

# The site: folders of 30 pages and 55 images each, every tenth folder with
# a subfolder; pages are the sample pages with an object and some script,
# images a few KiB of random bytes.
site=$work/site
sample=$(cat "$root"/examples/*.htm)
made=0 folder=0
while [ "$made" -lt "$files" ]; do
  dir="$site/d$folder"
  [ $((folder % 10)) -eq 9 ] && dir="$site/d$((folder - 1))/sub$folder"
  mkdir -p "$dir"
  for p in $(seq 1 30); do
    printf '%s\n<P>page %s of %s</P>\n' "$sample" "$p" "$folder" >"$dir/page$p.htm"
  done
  for i in $(seq 1 55); do
    head -c $((2048 + (i * 997) % 30000)) /dev/urandom >"$dir/image$i.gif"
  done
  made=$((made + 85)) folder=$((folder + 1))
done
echo "site: $(find "$site" -type f | wc -l) files, $(du -sh "$site" | cut -f1), $(find "$site" -type d | wc -l) folders"

# shellcheck source=bench/timing.sh
source "$root/bench/timing.sh"

# Every run writes into a folder of its own, all removed at the end: on ext4,
# files created just after thousands were deleted wait while the allocator
# passes over the recently freed inodes (several times the cost of the copy
# itself), which would time the previous round's removal rather than the tool.
declare -A times
for round in $(seq 1 "$runs"); do
  for what in cp j1 jN; do
    out="$work/out-$round-$what"
    sync
    case $what in
      cp) t=$(seconds cp -r "$site" "$out") ;;
      j1) mkdir "$out"; t=$(seconds "$morvane" -q -j 1 --no-remember -d "$out" "$site") ;;
      jN) mkdir "$out"; t=$(seconds "$morvane" -q -j "$jobs" --no-remember -d "$out" "$site") ;;
    esac
    times[$what]+="$t "
  done
done
cp=$(tr ' ' '\n' <<<"${times[cp]}" | grep . | median)
j1=$(tr ' ' '\n' <<<"${times[j1]}" | grep . | median)
jN=$(tr ' ' '\n' <<<"${times[jN]}" | grep . | median)
printf 'cp -r            %8.3f s\n' "$cp"
printf 'morvane -j 1     %8.3f s   %.2f x cp -r\n' "$j1" "$(awk -v a="$j1" -v b="$cp" 'BEGIN { print a / b }')"
printf 'morvane -j %-5s %8.3f s   %.2f x cp -r\n' "$jobs" "$jN" "$(awk -v a="$jN" -v b="$cp" 'BEGIN { print a / b }')"
