#!/usr/bin/env bash
# Converts a fixed corpus of pages with the native and the Windows engine and
# keeps the results, so that a change that must not alter any output can be
# checked against the results taken before it:
#   scripts/differential.sh snapshot DIR   convert the corpus into DIR
#   scripts/differential.sh compare DIR    convert again and compare with DIR
# The corpus: generated pages, the fuzz seeds, the golden pages, the example,
# the real HTML pages of this machine (/usr/share/doc), and the converted
# pages of all of these converted once more; each with and without property
# files. Needs build/native and, for the Windows half, build/win.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mode=${1:-}
dir=${2:-}
if [ -z "$mode" ] || [ -z "$dir" ]; then
  echo "usage: scripts/differential.sh snapshot|compare DIR" >&2
  exit 2
fi
export TZ=UTC
native=build/native/engine/convert_corpus
windows=build/win/engine/convert_corpus.exe

# run OUT: converts the corpus into OUT/{native,win}/{first,again}, with the
# result codes in OUT/*.log.
run() {
  local out=$1 src=$1/src
  rm -rf "$out" && mkdir -p "$src/first"
  "$native" --generate "$src/first" 300
  find engine/testdata engine/fuzz/seeds examples -type f -name '*.htm' | while read -r f; do
    cp "$f" "$src/first/$(echo "$f" | tr '/' '_')"
  done
  find /usr/share/doc -type f \( -name '*.htm' -o -name '*.html' \) 2>/dev/null | sort | head -300 | while read -r f; do
    cp "$f" "$src/first/real_$(echo "$f" | tr '/' '_' | sed 's/\.html$/.htm/')"
  done
  "$native" "$src/first" "$out/native/first" >"$out/native-first.log" || true
  mkdir -p "$src/again"
  cp "$out/native/first/plain/"*.htm "$src/again/"
  "$native" "$src/again" "$out/native/again" >"$out/native-again.log" || true
  if [ -x "$windows" ] || [ -f "$windows" ]; then
    scripts/wine-prefix.sh build/win
    build/win/wine-run.sh "$windows" "$src/first" "$out/win/first" >"$out/win-first.log" 2>/dev/null || true
    build/win/wine-run.sh "$windows" "$src/again" "$out/win/again" >"$out/win-again.log" 2>/dev/null || true
    scripts/wine-prefix.sh build/win stop
  fi
  echo "$(find "$out/native" -type f | wc -l) native files, $(find "$out/win" -type f 2>/dev/null | wc -l) Windows files"
}

case "$mode" in
  snapshot) run "$dir" ;;
  compare)
    now=$(mktemp -d)
    trap 'rm -rf "$now"' EXIT
    run "$now/out"
    if diff -r "$dir/native" "$now/out/native" >/dev/null && diff "$dir/native-first.log" "$now/out/native-first.log" >/dev/null &&
       diff "$dir/native-again.log" "$now/out/native-again.log" >/dev/null &&
       { [ ! -d "$dir/win" ] || { diff -r "$dir/win" "$now/out/win" >/dev/null && diff "$dir/win-first.log" "$now/out/win-first.log" >/dev/null; }; }; then
      echo "identical"
    else
      echo "DIFFERENT"
      diff -rq "$dir/native" "$now/out/native" | head -20 || true
      diff -rq "$dir/win" "$now/out/win" 2>/dev/null | head -20 || true
      exit 1
    fi
    ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
