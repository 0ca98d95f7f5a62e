#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack from this build, its
# control fields and files, installed into an empty root with dpkg, the tools
# run and their pages read from there, lintian's verdict, and removal.
#   deb_test.sh BUILD-DIR WORK-DIR VERSION SAMPLE-PAGE
set -u
build=$1 work=$2 version=$3 sample=$4
. "$(dirname "$0")/../../../testing/checks.sh"
# check WHAT COMMAND...: the command must succeed.
check() { local what=$1; shift; "$@" || fail "$what"; }

rm -rf "$work" && mkdir -p "$work"
arch=$(dpkg --print-architecture)
deb=$work/tarnwick_${version}_$arch.deb
if ! cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 || [ ! -f "$deb" ]; then
  echo "FAIL: cpack made no $deb:"; tail -20 "$work/cpack.log"; exit 1
fi
echo "package: $deb ($(stat -c %s "$deb") bytes)"

# --- control fields: dependencies come from dpkg-shlibdeps --------------------
field() { dpkg-deb -f "$deb" "$1"; }
check "Package" [ "$(field Package)" = tarnwick ]
check "Version" [ "$(field Version)" = "$version" ]
check "Architecture" [ "$(field Architecture)" = "$arch" ]
check "Section" [ "$(field Section)" = web ]
depends=$(field Depends)
for library in libc6 libgcc-s1 libstdc++6; do
  [[ ", $depends" == *", $library (>= "* ]] || fail "Depends lacks $library: $depends"
done
check "Maintainer" grep -qE '^.+ <.+@.+>$' <<<"$(field Maintainer)"

# --- files, owners and modes ---------------------------------------------------
dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' | LC_ALL=C sort -k3 >"$work/contents"
expected=$(
  for d in ./usr/ ./usr/bin/ ./usr/share/ ./usr/share/bash-completion/ ./usr/share/bash-completion/completions/ \
           ./usr/share/doc/ ./usr/share/doc/tarnwick/ ./usr/share/man/ ./usr/share/man/man1/; do
    echo "drwxr-xr-x root/root $d"
  done
  for t in veradoc morvane tagsmith; do
    echo "-rwxr-xr-x root/root ./usr/bin/$t"
    echo "-rw-r--r-- root/root ./usr/share/bash-completion/completions/$t"
    echo "-rw-r--r-- root/root ./usr/share/man/man1/$t.1.gz"
  done
  for f in README.md changelog.gz copyright; do echo "-rw-r--r-- root/root ./usr/share/doc/tarnwick/$f"; done
)
expected=$(LC_ALL=C sort -k3 <<<"$expected")
[ "$(cat "$work/contents")" = "$expected" ] || fail "contents:
$(diff <(echo "$expected") "$work/contents")"

# --- installed into an empty root ----------------------------------------------
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
: >"$root/var/lib/dpkg/status"
: >"$root/var/lib/dpkg/available"
dpkg_root() { dpkg --root="$root" --log=/dev/null --force-not-root "$@"; }
# The libraries it depends on are the host's: the empty root's database does
# not know them.
check "dpkg installs it" dpkg_root --force-depends -i "$deb" >"$work/install.log" 2>&1
check "dpkg lists it installed" grep -qx 'Status: install ok installed' <<<"$(dpkg_root -s tarnwick 2>/dev/null)"
for t in veradoc morvane tagsmith; do
  got=$("$root/usr/bin/$t" --version 2>&1 | head -1)
  check "$t --version from the package says $got" [ "$got" = "$t $version" ]
  warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$root/usr/share/man/man1/$t.1.gz" 2>&1 >/dev/null)
  check "man -l $t.1.gz: $warnings" [ -z "$warnings" ]
  check "$t's completion" grep -qx "complete -F _tarnwick $t" \
    <<<"$(bash -c "source '$root/usr/share/bash-completion/completions/$t' && complete -p $t")"
done
check "the installed veradoc converts a page" "$root/usr/bin/veradoc" --yes "$sample" "$work/out.htm" >/dev/null
check "binaries are stripped" grep -q ', stripped' <<<"$(file "$root/usr/bin/veradoc")"

# --- lintian ---------------------------------------------------------------------
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1
check "lintian reports no error (see $work/lintian.log)" [ $? = 0 ]
grep -E '^E:' "$work/lintian.log" && fail "lintian errors"

# --- removal leaves nothing --------------------------------------------------------
check "dpkg purges it" dpkg_root --purge tarnwick >"$work/remove.log" 2>&1
left=$(cd "$root" && find . -mindepth 1 -not -path './var' -not -path './var/lib' -not -path './var/lib/dpkg*')
[ -z "$left" ] || fail "left after removal: $left"

finish "Debian package"
