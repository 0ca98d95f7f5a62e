#!/usr/bin/env bash
# The three terminal tools as a user runs them: every option, with what it
# prints on each stream, its exit status and the files it leaves.
#   terminal_tools_test.sh VERADOC MORVANE TAGSMITH WINDOWS_IMAGE_FOLDER
set -u
veradoc=$1 morvane=$2 tagsmith=$3 images=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
unset SOURCE_DATE_EPOCH
. "$(dirname "$0")/../testing/checks.sh"
cd "$work" || exit 1

# run NAME STATUS STDOUT STDERR -- COMMAND...: runs COMMAND with no input and
# checks its status and both streams. A stream expected as "~TEXT" must
# contain TEXT; as "*" it is not checked; otherwise it must be TEXT exactly
# (without the final line end).
run() {
  local name=$1 status=$2 out=$3 err=$4
  shift 5
  "$@" >"$work/.out" 2>"$work/.err" </dev/null
  expect "$name: exit status" "$status" $?
  stream "$name: stdout" "$out" "$work/.out"
  stream "$name: stderr" "$err" "$work/.err"
}
stream() {
  case "$2" in
    '*') ;;
    '~'*) contains "$1" "${2#\~}" "$3" ;;
    *) expect "$1" "$2" "$(cat "$3")" ;;
  esac
}
# The tree below a folder: every file with a digest of its bytes.
tree() { (cd "$1" && find . -type f ! -name '.*' -print0 | sort -z | xargs -0 -r md5sum); }

page='<OBJECT ID="L" CLASSID="CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903" WIDTH=9 HEIGHT=9></OBJECT>
<SCRIPT LANGUAGE="VBScript">
Sub Go
End Sub
</SCRIPT>'
mkdir -p site/sub folder
printf '%s\n' "$page" >page.htm
printf '%s\n' "$page" >site/index.htm
printf '%s\n' "$page" >site/sub/a.htm
printf 'GIF' >site/sub/logo.gif
printf 'plain\n' >-x.htm

# --- the options every tool has ----------------------------------------------
for tool in veradoc morvane tagsmith; do
  binary=${!tool}
  run "$tool --help" 0 "~Usage: $tool " "" -- "$binary" --help
  run "$tool -h" 0 "~Exit status" "" -- "$binary" -h
  run "$tool --version" 0 "$tool 1.0.0.1" "" -- "$binary" --version
  run "$tool -V" 0 "$tool 1.0.0.1" "" -- "$binary" -V
  "$binary" --help >/dev/full 2>/dev/null
  expect "$tool --help into a full disk" 1 $?
  run "$tool: unknown option" 2 "" "$tool: unknown option '--frob'
Try '$tool --help'." -- "$binary" --frob x
  run "$tool: unknown short option" 2 "" "$tool: unknown option '-Z'
Try '$tool --help'." -- "$binary" -Z x
done

# --- veradoc -----------------------------------------------------------------
run "veradoc SOURCE DEST" 0 "Conversion completed successfully." "" -- "$veradoc" page.htm out.htm
[ -f out.htm ] && [ -f out.AXS ] || fail "veradoc: out.htm and out.AXS written"
grep -q $'\r$' out.htm || fail "veradoc: CR LF line ends"
run "veradoc: an existing DEST without an answer" 2 "" "~not overwritten" -- "$veradoc" page.htm out.htm
run "veradoc -y" 0 "Conversion completed successfully." "" -- "$veradoc" -y page.htm out.htm
run "veradoc -q" 0 "" "" -- "$veradoc" -qy page.htm out.htm
run "veradoc --ods" 0 "*" "" -- "$veradoc" --ods -y page.htm ods.htm
[ -f L.ODS ] || fail "veradoc --ods: L.ODS written"
run "veradoc: SOURCE... FOLDER" 0 "*" "" -- "$veradoc" -q page.htm site/index.htm folder
[ -f folder/page.htm ] && [ -f folder/index.htm ] && [ -f folder/page.AXS ] || fail "veradoc: pages converted into the folder"
run "veradoc: FOLDER as DEST" 0 "" "" -- "$veradoc" -q site/sub/a.htm folder
[ -f folder/a.htm ] || fail "veradoc: SOURCE FOLDER"
run "veradoc: several SOURCEs, no folder" 2 "" "veradoc: target 'nope.htm' is not a folder
Try 'veradoc --help'." -- "$veradoc" page.htm page.htm nope.htm
run "veradoc: one operand" 2 "" "veradoc: missing DEST after 'page.htm'
Try 'veradoc --help'." -- "$veradoc" page.htm
run "veradoc: - as DEST" 2 "" "~DEST cannot be '-'" -- "$veradoc" page.htm -
[ -e ./- ] && fail "veradoc: a file named - was written"
mkdir -p from-file from-stdin
export SOURCE_DATE_EPOCH=1700000000
"$veradoc" -q page.htm from-file/same.htm
printf '%s\n' "$page" | "$veradoc" - from-stdin/same.htm >.out 2>.err
expect "veradoc - DEST: status" 0 $?
expect "veradoc - DEST: stdout" "Conversion completed successfully." "$(cat .out)"
cmp -s from-file/same.htm from-stdin/same.htm || fail "veradoc - DEST: the page converts as the file does"
cmp -s from-file/same.AXS from-stdin/same.AXS || fail "veradoc - DEST: the script file"
unset SOURCE_DATE_EPOCH
"$veradoc" -y - from-folder.htm <"$work" >.out 2>.err
expect "veradoc - DEST from a folder: status" 1 $?
expect "veradoc - DEST from a folder: stderr" "Could not perform conversion.
veradoc: cannot read 'standard input': Is a directory" "$(cat .err)"
[ -e from-folder.htm ] && fail "veradoc - DEST from a folder: nothing written"
run "veradoc: missing SOURCE" 2 "" "The source path \"missing.htm\" does not exist." -- "$veradoc" missing.htm x.htm
run "veradoc: -- ends the options" 0 "Conversion completed successfully." "" -- "$veradoc" -- -x.htm x2.htm
run "veradoc: a folder as SOURCE" 1 "" "Could not perform conversion.
veradoc: cannot read 'site': is a directory" -- "$veradoc" site dir.htm
# An object without a size gets a comment that carries the time.
printf '<OBJECT ID="S" CLASSID="CLSID:98FBE040-5A24-11CF-8B11-00AA00C00903"></OBJECT>\n' >nosize.htm
SOURCE_DATE_EPOCH=1700000000 "$veradoc" -qy nosize.htm r1.htm && SOURCE_DATE_EPOCH=1700000000 "$veradoc" -qy nosize.htm r2.htm
cmp -s <(sed 's/r1\.AXS/r2.AXS/' r1.htm) r2.htm || fail "veradoc: SOURCE_DATE_EPOCH gives the same bytes"
grep -q 'Tue Nov 14 22:13:20 2023' r1.htm || fail "veradoc: SOURCE_DATE_EPOCH's time, in UTC"
run "veradoc: a SOURCE_DATE_EPOCH that is no number" 2 "" "veradoc: SOURCE_DATE_EPOCH is not a number of seconds: 'soon'" \
  -- env SOURCE_DATE_EPOCH=soon "$veradoc" -y page.htm r1.htm

# --- morvane -----------------------------------------------------------------
run "morvane -n writes nothing" 0 "~would convert site/index.htm -> out/index.htm" "" -- "$morvane" -n -d out site
[ -e out ] && fail "morvane -n created the destination"
[ -e config ] && fail "morvane -n remembered the destination"
run "morvane --no-remember" 0 "~2 pages converted, 1 file copied, 0 left as they were, 0 backups made, 0 failed" "" \
  -- "$morvane" --no-remember -d out site
run "morvane: nothing remembered" 1 "" "morvane: no destination folder is set" -- "$morvane" --show-dest
run "morvane -v" 0 "~backed up out/index.htm as out/TWBACKUP/index.htm" "" -- "$morvane" -v -d out site/index.htm
contains "morvane -v: the page" "converted site/index.htm -> out/index.htm" .out
run "morvane: remembered" 0 "$work/out" "" -- "$morvane" --show-dest
before=$(tree .)
run "morvane -n: what would be done" 0 "~would keep out/sub/logo.gif" "" -- "$morvane" -n site
expect "morvane -n: the tree is as it was" "$before" "$(tree .)"
run "morvane -q" 0 "" "" -- "$morvane" -q site
run "morvane -v -q" 2 "" "~cannot go together" -- "$morvane" -v -q site
run "morvane -j 0" 2 "" "~option '--jobs' needs a number from 1 to 256" -- "$morvane" -j 0 site

# Two bad items among good ones: without -k the first stops the batch; with
# it every good item is done, the failures are listed and the status is 1.
mkdir -p mixed
printf '<P>1</P>\n' >mixed/1.htm
printf 'nul\000' >mixed/2bad.htm
printf '<P>3</P>\n' >mixed/3.htm
mkfifo mixed/4pipe.gif
printf '<P>5</P>\n' >mixed/5.htm
run "morvane -k" 1 "*" "~morvane: 2 items failed:" -- "$morvane" -k -j 1 --no-remember -d kept mixed
for good in 1.htm 3.htm 5.htm; do [ -f "kept/$good" ] || fail "morvane -k: $good converted"; done
contains "morvane -k: the list" "  mixed/4pipe.gif" .err
run "morvane without -k" 1 "*" "~Operation has failed." -- "$morvane" -j 1 --no-remember -d stopped mixed
expect "morvane without -k: stopped at the first failure" 1 "$(find stopped -name '*.htm' | wc -l)"

# Progress is drawn on a terminal only.
script -qec "$morvane -j 1 --no-remember -d progress site" /dev/null >tty.txt 2>&1
grep -q '\[[0-9]*/[0-9]*\]' tty.txt || fail "morvane: progress on a terminal"
run "morvane: no progress off a terminal" 0 "*" "" -- "$morvane" --no-remember -d noprogress site

# -j 4 does what -j 1 does, on a tree of a few thousand files, twice (the
# second time with backups).
for i in $(seq 1 40); do
  mkdir -p "big/d$i/e"
  for j in $(seq 1 25); do
    printf '%s\n<P>%s %s</P>\n' "$page" "$i" "$j" >"big/d$i/p$j.htm"
    printf 'GIF%s.%s' "$i" "$j" >"big/d$i/e/i$j.gif"
    printf '%s %s' "$i" "$j" >"big/d$i/e/t$j.txt"
  done
  printf '<P>shares a script file</P>\n' >"big/d$i/p1.html"
done
for jobs in 1 4; do
  for round in 1 2; do
    SOURCE_DATE_EPOCH=1700000000 "$morvane" -q -j "$jobs" --no-remember -d "jobs$jobs" big >"out$jobs.$round" 2>&1
    expect "morvane -j $jobs round $round" 0 $?
  done
done
expect "morvane -j 4: the tree and backups of -j 1" "$(tree jobs1)" "$(tree jobs4)"
expect "morvane -j 4: the messages of -j 1" "$(cat out1.1 out1.2)" "$(cat out4.1 out4.2)"
[ "$(find jobs1 -type f | wc -l)" -gt 3000 ] || fail "morvane: a tree of thousands of files"

# --- tagsmith ----------------------------------------------------------------
if [ -f "$images/mixed.dll" ]; then
  run "tagsmith" 0 "$images/mixed.dll:
  FileVersion: 9.0.0.1" "" -- "$tagsmith" "$images/mixed.dll"
  run "tagsmith: nothing where it looks" 1 "" "~the file has 040904B0 (try --all)" -- "$tagsmith" "$images/b0only.exe"
  run "tagsmith -a" 0 "~  \\StringFileInfo\\040904B0:" "" -- "$tagsmith" -a "$images/b0only.exe"
fi
run "tagsmith: a folder" 2 "" "tagsmith: site: is a directory" -- "$tagsmith" site
run "tagsmith: no file" 2 "" "tagsmith: no file given
Try 'tagsmith --help'." -- "$tagsmith"

finish "the terminal tools"
