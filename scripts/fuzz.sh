#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on
# seed pages. Prints one line per target ("fuzz TARGET: ok" or "... FAILED")
# and exits non-zero when a target found a crash, a leak or a hang.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
build=build/fuzz
targets=(fuzz_convert_text fuzz_scanners)
[ -f engine/fuzz/fuzz_property_files.cpp ] && targets+=(fuzz_property_files)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DTW_FUZZ=ON -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF \
  >"$build-configure.log" 2>&1 || { echo "fuzz build: configure FAILED"; exit 1; }
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" >"$build-build.log" 2>&1 ||
  { grep -E 'error' "$build-build.log" | head; echo "fuzz build: FAILED"; exit 1; }

status=0
run() {
  local target=$1 corpus="$build/corpus/$1"
  mkdir -p "$corpus" "$build/artifacts"
  cp engine/fuzz/seeds/* "$corpus"/ 2>/dev/null
  find engine/testdata examples -name '*.htm*' -size -64k 2>/dev/null | while read -r f; do
    { printf '\001'; cat "$f"; } >"$corpus/seed-$(basename "$f")"
  done
  if TMPDIR=$(mktemp -d) "$build/engine/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -artifact_prefix="$build/artifacts/$target-" -print_final_stats=0 "$corpus" >"$build/$target.log" 2>&1; then
    echo "fuzz $target: ok ($(grep -c . "$build/$target.log") log lines)"
  else
    echo "fuzz $target: FAILED (see $build/$target.log)"
    grep -E 'ERROR|SUMMARY|runtime error' "$build/$target.log" | head -5
    return 1
  fi
}
pids=()
for t in "${targets[@]}"; do run "$t" & pids+=($!); done
for p in "${pids[@]}"; do wait "$p" || status=1; done
exit $status
