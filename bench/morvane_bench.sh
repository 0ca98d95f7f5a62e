#!/usr/bin/env bash
# morvane mirroring a generated site beside cp -r of the same tree, in one
# interleaved run, into fresh destinations on the same file system:
#   bench/morvane_bench.sh [BUILD_DIR [FILES [RUNS]]]
# BUILD_DIR is a native build (default build/native), FILES the size of the
# site (default 5000: pages, images and nested folders), RUNS the rounds
# (default 5). Prints the median seconds of each command and the ratios
# morvane -j 1 / cp -r and morvane -j N / cp -r, N being the processors.
# Also timed, given morvane's own output (the site's files plus the script
# file each converted page gets): cp -r of it, and bench/tree_writer writing
# it file by file, plainly and as morvane writes every file (unnamed, then
# linked into place). The last is the least morvane itself could take; each
# morvane ratio is given against it as well.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
files=${2:-5000}
runs=${3:-5}
morvane=$build/shell_extension/terminal/morvane
writer=$build/bench/tree_writer
for tool in "$morvane" "$writer"; do
  [ -x "$tool" ] || { echo "morvane_bench: no $tool (build the native tree first)" >&2; exit 2; }
done
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

# Every run writes into a folder of its own, removed at the end: on ext4,
# files created just after thousands were deleted wait while the allocator
# passes over the recently freed inodes (several times the cost of the copy
# itself), which would time the previous round's removal rather than the tool.
declare -A times
for round in $(seq 1 "$runs"); do
  for what in cp j1 jN out plain safe; do
    out="$work/out-$round-$what"
    sync
    case $what in
      cp) t=$(seconds cp -r "$site" "$out") ;;
      j1) mkdir "$out"; t=$(seconds "$morvane" -q -j 1 --no-remember -d "$out" "$site") ;;
      jN) mkdir "$out"; t=$(seconds "$morvane" -q -j "$jobs" --no-remember -d "$out" "$site") ;;
      out) t=$(seconds cp -r "$work/out-1-j1" "$out") ;;
      plain | safe) t=$(seconds "$writer" "$what" "$work/out-1-j1" "$out") ;;
    esac
    times[$what]+="$t "
  done
  # In memory nothing waits on freed inodes, and keeping every round would
  # hold the site six times over per round: each round's folders go when it
  # ends (but the first round's morvane output, which the floor rows copy).
  if [ "$(stat -f -c %T "$work")" = tmpfs ]; then
    for what in cp j1 jN out plain safe; do
      [ "$round-$what" = 1-j1 ] || rm -rf "$work/out-$round-$what"
    done
  fi
done
median_of() { tr ' ' '\n' <<<"${times[$1]}" | grep . | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
cp=$(median_of cp)
safe=$(median_of safe)
echo "morvane's output: $(find "$work/out-1-j1" -type f | wc -l) files, $(du -sh "$work/out-1-j1" | cut -f1)"
printf '%-30s %8.3f s\n' "cp -r" "$cp"
for what in out plain safe; do
  case $what in
    out) title="cp -r of morvane's output" ;;
    plain) title="tree_writer plain of output" ;;
    safe) title="tree_writer safe of output" ;;
  esac
  t=$(median_of $what)
  printf '%-30s %8.3f s   %s x cp -r\n' "$title" "$t" "$(ratio "$t" "$cp")"
done
for what in j1 jN; do
  t=$(median_of $what)
  title="morvane -j 1"
  [ $what = jN ] && title="morvane -j $jobs"
  printf '%-30s %8.3f s   %s x cp -r   %s x tree_writer safe\n' "$title" "$t" "$(ratio "$t" "$cp")" "$(ratio "$t" "$safe")"
done
