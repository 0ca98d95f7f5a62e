#!/usr/bin/env bash
# The terminal tools as processes: interrupted at random moments, on a full
# file system, fed a FIFO, a folder or a link to /dev/zero, they never leave
# a fragment where a good file was and never report a failure as success.
#   file_safety_cli_test.sh VERADOC MORVANE TAGSMITH [--sanitized]
set -u
set -m  # background jobs in their own groups: they receive SIGINT as from a terminal
veradoc=$1 morvane=$2 tagsmith=$3 sanitized=${4:-}
# In memory where the machine offers it: forcing 100 MB pages to disk forty
# times would only make the test slow.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then work=$(mktemp -d -p /dev/shm); else work=$(mktemp -d); fi
cleanup() {
  if mountpoint -q "$work/small" 2>/dev/null; then umount "$work/small"; fi
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config"
# Conversion comments carry this instant: complete results compare byte for byte.
export SOURCE_DATE_EPOCH=1700000000
. "$(dirname "$0")/../testing/checks.sh"
temporaries() { find "$1" -name '~tw*' | wc -l; }

# A page of about SIZE_MB megabytes: text, objects, inputs and scripts.
make_page() {
  local file=$1 size_mb=$2 i
  printf '<HTML><BODY>\r\n' >"$file.block"
  for i in $(seq 1 20); do printf '<P>Some text of the page with <B>markup</B> and more words.</P>\r\n'; done >>"$file.block"
  printf '<OBJECT ID="L1" CLASSID="CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903" WIDTH=10>\r\n</OBJECT>\r\n' >>"$file.block"
  printf '<INPUT TYPE=button NAME=B1 VALUE="Go" onClick="MsgBox 1">\r\n' >>"$file.block"
  printf '<SCRIPT LANGUAGE="VBScript">\r\nSub A\r\nEnd Sub\r\n</SCRIPT>\r\n' >>"$file.block"
  cp "$file.block" "$file"
  while [ "$(stat -c %s "$file")" -lt $((size_mb * 1024 * 1024)) ]; do
    cat "$file" "$file" >"$file.twice" && mv "$file.twice" "$file"
  done
  rm -f "$file.block"
}

# Milliseconds a command takes.
millis() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

# A random pause of up to MAX milliseconds.
pause() { sleep "$(awk -v r="$RANDOM" -v m="$1" 'BEGIN { printf "%.3f", r / 32767 * m / 1000 }')"; }

mkdir -p "$work/src" "$work/dst"
make_page "$work/src/big.htm" 50
printf 'the old page\r\n' >"$work/old.htm"
printf 'Sub Old\r\nEnd Sub\r\n' >"$work/old.AXS"

# --- veradoc interrupted: the page is the old one or the complete new one ---
# The complete results, converted under the names the tests use.
mkdir -p "$work/expected"
for name in page big; do
  "$veradoc" --yes "$work/src/big.htm" "$work/expected/$name.htm" >/dev/null 2>&1
  expect "complete conversion into $name.htm" 0 $?
done
window=$(($(millis "$veradoc" --yes "$work/src/big.htm" "$work/dst/timing.htm") * 12 / 10 + 20))
rm -f "$work/dst/timing."*
for signal in INT KILL; do
  for round in $(seq 1 20); do
    cp "$work/old.htm" "$work/dst/page.htm"
    cp "$work/old.AXS" "$work/dst/page.AXS"
    "$veradoc" --yes "$work/src/big.htm" "$work/dst/page.htm" >/dev/null 2>&1 &
    pid=$!
    pause "$window"
    kill -s "$signal" "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if ! cmp -s "$work/dst/page.htm" "$work/old.htm" && ! cmp -s "$work/dst/page.htm" "$work/expected/page.htm"; then
      fail "veradoc SIG$signal round $round: the page is neither the old nor the new one ($(stat -c %s "$work/dst/page.htm") bytes)"
    fi
    if ! cmp -s "$work/dst/page.AXS" "$work/old.AXS" && ! cmp -s "$work/dst/page.AXS" "$work/expected/page.AXS"; then
      fail "veradoc SIG$signal round $round: the script file is neither the old nor the new one"
    fi
    left=$(find "$work/dst" -type f ! -name 'page.htm' ! -name 'page.AXS')
    if [ "$signal" = INT ]; then
      [ -z "$left" ] || fail "veradoc SIGINT round $round left: $left"
    else
      # After a kill nothing can clean up: what is left is a recognisable temporary file.
      for f in $left; do
        case "$(basename "$f")" in '~tw'*.tmp) rm -f "$f" ;; *) fail "veradoc SIGKILL round $round left $f" ;; esac
      done
    fi
  done
done

# --- morvane interrupted: copies and pages are absent, old or complete -------
mkdir -p "$work/site" "$work/out"
cp "$work/src/big.htm" "$work/site/big.htm"
head -c $((24 * 1024 * 1024)) /dev/urandom >"$work/site/big.gif"
window=$(($(millis "$morvane" --dest "$work/timing" "$work/site") * 12 / 10 + 20))
rm -rf "$work/timing"
for signal in INT KILL; do
  for round in $(seq 1 8); do
    rm -rf "$work/out" && mkdir "$work/out"
    cp "$work/old.htm" "$work/out/big.htm"
    "$morvane" --dest "$work/out" "$work/site" >/dev/null 2>&1 </dev/null &
    pid=$!
    pause "$window"
    kill -s "$signal" "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if [ -e "$work/out/big.gif" ] && ! cmp -s "$work/out/big.gif" "$work/site/big.gif"; then
      fail "morvane SIG$signal round $round: a partial copy"
    fi
    if ! cmp -s "$work/out/big.htm" "$work/old.htm" && ! cmp -s "$work/out/big.htm" "$work/expected/big.htm"; then
      fail "morvane SIG$signal round $round: the page is neither the old nor the new one"
    fi
    if [ -e "$work/out/TWBACKUP/big.htm" ] && ! cmp -s "$work/out/TWBACKUP/big.htm" "$work/old.htm"; then
      fail "morvane SIG$signal round $round: a partial backup"
    fi
    if [ "$signal" = INT ]; then
      expect "morvane SIGINT round $round temporary files" 0 "$(temporaries "$work/out")"
    fi
    find "$work/out" -name '~tw*.tmp' -delete
    # A later run completes what the interrupted one left.
    "$morvane" --dest "$work/out" "$work/site" >/dev/null 2>&1 </dev/null
    expect "morvane rerun after SIG$signal round $round" 0 $?
    cmp -s "$work/out/big.gif" "$work/site/big.gif" || fail "morvane rerun after SIG$signal round $round: copy differs"
  done
done

# --- a full file system ------------------------------------------------------
printf '<P>a small page</P>\r\n' >"$work/small.htm"
"$veradoc" --yes "$work/small.htm" /dev/full >"$work/out.txt" 2>"$work/err.txt"
expect "veradoc into /dev/full: status" 1 $?
contains "veradoc into /dev/full" "veradoc: cannot write '/dev/full': is not a regular file" "$work/err.txt"
[ -c /dev/full ] || fail "/dev/full is no longer a device"

mkdir -p "$work/small"
if mount -t tmpfs -o size=2m tmpfs "$work/small" 2>/dev/null; then
  make_page "$work/ten.htm" 10
  printf 'the old page\r\n' >"$work/small/page.htm"
  "$veradoc" --yes "$work/ten.htm" "$work/small/page.htm" >"$work/out.txt" 2>"$work/err.txt"
  expect "veradoc on a full disk: status" 1 $?
  contains "veradoc on a full disk" "Could not perform conversion." "$work/err.txt"
  contains "veradoc on a full disk" "veradoc: cannot write '$work/small/page.htm': No space left on device" "$work/err.txt"
  cmp -s "$work/small/page.htm" "$work/old.htm" || fail "veradoc on a full disk: the old page was harmed"
  expect "veradoc on a full disk: temporary files" 0 "$(temporaries "$work/small")"

  "$morvane" --dest "$work/small/out" "$work/site/big.gif" >"$work/out.txt" 2>"$work/err.txt" </dev/null
  expect "morvane on a full disk: status" 1 $?
  contains "morvane on a full disk" "morvane: cannot write '$work/small/out/big.gif': No space left on device" "$work/err.txt"
  [ -e "$work/small/out/big.gif" ] && fail "morvane on a full disk left a partial copy"
  expect "morvane on a full disk: temporary files" 0 "$(temporaries "$work/small")"
  umount "$work/small"
else
  echo "SKIP full tmpfs: cannot mount a tmpfs here (needs root and a kernel that allows it)"
fi

# --- special sources: no hang, no big allocation, no file -------------------
mkfifo "$work/fifo.htm"
timeout 10 "$veradoc" --yes "$work/fifo.htm" "$work/dst/fifo-out.htm" >"$work/out.txt" 2>"$work/err.txt"
expect "veradoc FIFO source: status" 1 $?
contains "veradoc FIFO source" "veradoc: cannot read '$work/fifo.htm': is not a regular file" "$work/err.txt"
timeout 10 "$tagsmith" "$work/fifo.htm" >"$work/out.txt" 2>"$work/err.txt"
expect "tagsmith FIFO: status" 2 $?
contains "tagsmith FIFO" "tagsmith: $work/fifo.htm: is not a regular file" "$work/err.txt"

mkdir -p "$work/tree" "$work/tree-out"
printf '<P>page</P>\r\n' >"$work/tree/a.htm"
mkfifo "$work/tree/pipe.gif"
timeout 10 "$morvane" --dest "$work/tree-out" "$work/tree/pipe.gif" >"$work/out.txt" 2>"$work/err.txt" </dev/null
expect "morvane FIFO in the tree: status" 1 $?
contains "morvane FIFO in the tree" "morvane: cannot read '$work/tree/pipe.gif': is not a regular file" "$work/err.txt"
rm "$work/tree/pipe.gif"
ln -s /dev/zero "$work/tree/zero.gif"
timeout 10 "$morvane" --dest "$work/tree-out" "$work/tree/zero.gif" >"$work/out.txt" 2>"$work/err.txt" </dev/null
expect "morvane link to /dev/zero: status" 1 $?
[ -e "$work/tree-out/zero.gif" ] && fail "morvane copied /dev/zero"

mkdir -p "$work/pics.htm"
if [ "$sanitized" = --sanitized ]; then
  "$veradoc" --yes "$work/pics.htm" "$work/dst/pics-out.htm" >"$work/out.txt" 2>"$work/err.txt"
else
  # A folder taken for a page once allocated 4 GiB: here 200 MB of address space is plenty.
  (ulimit -v 200000; "$veradoc" --yes "$work/pics.htm" "$work/dst/pics-out.htm") >"$work/out.txt" 2>"$work/err.txt"
fi
expect "veradoc folder source: status" 1 $?
contains "veradoc folder source" "veradoc: cannot read '$work/pics.htm': is a directory" "$work/err.txt"
[ -e "$work/dst/pics-out.htm" ] && fail "veradoc wrote a page for a folder"

finish "file safety"
