#!/usr/bin/env bash
# The one test command: installs what is missing (as root on Debian), builds
# the native, sanitizer and Windows builds and runs every test. Ends with the
# line "N passed, N failed"; exits non-zero when anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
log_dir="$root/build/logs"
mkdir -p "$log_dir"

bash scripts/install-deps.sh || { echo "0 passed, 1 failed"; exit 1; }

# Adds a ctest summary ("N% tests passed, F tests failed out of T") to the totals;
# skipped tests are reported apart.
count() {
  local summary
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$summary" ]; then
    echo "== $2: no test summary (see $1)"
    failed=$((failed + 1))
    return
  fi
  local f t s
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  # ctest counts a skipped test among the passed ones; here it is neither.
  s=$(grep -cE '^\s+[0-9]+ - .*\(Skipped\)$' "$1")
  passed=$((passed + t - f - s))
  failed=$((failed + f))
  echo "== $2: $((t - f - s)) passed, $f failed$([ "$s" -gt 0 ] && echo ", $s skipped")"
}

# build NAME CONFIGURE-ARGS... : configures and builds; a failed build counts as a failure.
build() {
  local name=$1; shift
  echo "== building $name"
  if ! cmake -S . -B "build/$name" -G Ninja "$@" >"$log_dir/$name-configure.log" 2>&1; then
    tail -30 "$log_dir/$name-configure.log"; failed=$((failed + 1)); return 1
  fi
  if ! cmake --build "build/$name" -j "$jobs" >"$log_dir/$name-build.log" 2>&1; then
    grep -E 'error|Error' "$log_dir/$name-build.log" | head -30; failed=$((failed + 1)); return 1
  fi
}

run_ctest() {
  local name=$1; shift
  (cd "build/$name" && ctest -j "$jobs" --output-on-failure "$@") >"$log_dir/$name-test.log" 2>&1
  grep -E '^\s+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess aborted|Not Run|Exception)' "$log_dir/$name-test.log" | head -40
  count "$log_dir/$name-test.log" "$name"
}

# The test builds are optimised as users get them, without debug information:
# that halves the time spent compiling on a small machine.
optimised=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG")

if build native "${optimised[@]}"; then run_ctest native; fi

if build asan -DTW_SANITIZE=ON -DTW_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug; then
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest asan
fi

# windows_tests NAME: the tests of a Windows build under Wine, in the build's
# own prefix. Every Wine process of the tests shares one virtual display. A
# test that fails is run once more: Wine itself now and then crashes a process
# as it exits; a real failure fails twice and is counted.
windows_tests() {
  local name=$1
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    scripts/wine-prefix.sh build/'"$name"'
    (cd build/'"$name"' && ctest -j '"$jobs"' --output-on-failure --repeat until-pass:2) > build/logs/'"$name"'-test.log 2>&1
    scripts/wine-prefix.sh build/'"$name"' stop'
  grep -E '^\s+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess aborted|Not Run|Exception)' "$log_dir/$name-test.log" | head -40
  count "$log_dir/$name-test.log" "$name"
}

# The same pages converted by the native engine and by a Windows engine under
# Wine must give the same bytes: pages, script files, property files. The
# corpus and its native conversion are made once, for every Windows build.
corpus=build/corpus
corpus_native=
corpus_identity() {
  local name=$1
  echo "== corpus identity (native / $name)"
  if [ -z "$corpus_native" ]; then
    rm -rf "$corpus" && mkdir -p "$corpus/src"
    build/native/engine/convert_corpus --generate "$corpus/src" 300
    find engine/testdata examples -name '*.htm' 2>/dev/null | while read -r f; do
      cp "$f" "$corpus/src/$(echo "$f" | tr '/' '_')"
    done
    if TZ=UTC build/native/engine/convert_corpus "$corpus/src" "$corpus/native" >"$log_dir/corpus-native.log" 2>&1; then
      corpus_native=ok
    else
      corpus_native=failed
    fi
  fi
  scripts/wine-prefix.sh "build/$name"
  if [ "$corpus_native" = ok ] &&
     TZ=UTC "build/$name/wine-run.sh" "build/$name/engine/convert_corpus.exe" "$corpus/src" "$corpus/$name" \
       >"$log_dir/corpus-$name.log" 2>&1 &&
     diff -r "$corpus/native" "$corpus/$name" >"$log_dir/corpus-diff-$name.log" 2>&1; then
    echo "== corpus identity (native / $name): $(find "$corpus/$name" -type f | wc -l) files identical"
    passed=$((passed + 1))
  else
    echo "== corpus identity (native / $name): FAILED (see $log_dir/corpus-*.log)"
    head -20 "$log_dir/corpus-diff-$name.log" 2>/dev/null
    failed=$((failed + 1))
  fi
  scripts/wine-prefix.sh "build/$name" stop
}

# 32-bit Windows: every deliverable.
if build win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake "${optimised[@]}"; then
  windows_tests win
  corpus_identity win
fi

# 64-bit Windows: the shell extension for 64-bit Explorer, checked against
# the 32-bit DLL built above.
if build win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake "${optimised[@]}" \
     -DTW_OTHER_MORVANE_DLL="$root/build/win/shell_extension/win32/MORVANE.DLL"; then
  windows_tests win64
  corpus_identity win64
fi

# Bounded fuzzing of the engine (ASan + UBSan, libFuzzer): one test per target.
echo "== fuzzing"
bash scripts/fuzz.sh "${TW_FUZZ_SECONDS:-60}" >"$log_dir/fuzz.log" 2>&1
cat "$log_dir/fuzz.log"
fuzz_ok=$(grep -c '^fuzz .*: ok' "$log_dir/fuzz.log")
fuzz_bad=$(grep -c 'FAILED' "$log_dir/fuzz.log")
passed=$((passed + fuzz_ok))
failed=$((failed + fuzz_bad))

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
