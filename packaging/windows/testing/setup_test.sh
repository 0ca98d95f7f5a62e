#!/usr/bin/env bash
# SETUP.EXE under Wine, each run in fresh 32-bit prefixes of its own and on a
# virtual display of its own:
#   setup_test.sh round-trip|refusals|pages SETUP FILES DRIVER EXPLORER_TEST WORK VERSION
# round-trip  silent install, files and keys checked (the class keys against
#             a regsvr32 of the same DLL in a second fresh prefix), shortcut,
#             Explorer's use of the installed DLL, silent uninstall, and the
#             prefix as it was before
# refusals    a folder that cannot be made, files in use: a non-zero exit and
#             nothing changed; the message box as a user sees it; /D=
# pages       the pages of the setup and the uninstaller, walked by a user
# Screenshots go to WORK/../screenshots.
set -u
mode=$1 setup=$2 files=$3 driver=$4 explorer_test=$5 work=$6 version=$7
here=$(cd "$(dirname "$0")" && pwd)
shots=$(dirname "$work")/screenshots

if [ -z "${TW_SETUP_TEST_DISPLAY:-}" ]; then
  # A display of our own: the screenshots show only our windows, and the
  # Windows tests that share the build's display are not disturbed.
  case $mode in round-trip) n=171 ;; refusals) n=181 ;; *) n=191 ;; esac
  export TW_SETUP_TEST_DISPLAY=1
  exec xvfb-run -a -n "$n" -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

export WINEARCH=win32 WINEDEBUG=-all LC_ALL=C.UTF-8
# No desktop menu entries in the home folder for the shortcuts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"

. "$here/../../../testing/checks.sh"
# check WHAT COMMAND...: the command must succeed.
check() { local what=$1; shift; "$@" || fail "$what"; }

program_folder='C:\Program Files\Tarnwick'
menu_entry='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Tarnwick\Tarnwick Conversion Tool.lnk'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick'
engine_key='HKCU\Software\Tarnwick\ActiveX Plug-in'
installed=(VERADOC.EXE MORVANE.DLL TAGSMITH.DLL)

# --- prefixes ------------------------------------------------------------------

# A fresh prefix is a copy of one made once, headless, and left to settle for
# a session; it is made again when Wine changes.
template=$(dirname "$work")/prefix-template
make_template() {
  local stamp
  stamp="$(wine --version) $WINEDLLOVERRIDES"
  if [ -f "$template/system.reg" ] && [ "$(cat "$template.stamp" 2>/dev/null)" = "$stamp" ]; then return; fi
  rm -rf "$template"
  (
    unset DISPLAY
    export WINEPREFIX=$template
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
  )
  echo "$stamp" >"$template.stamp"
}
prefixes=()
fresh_prefix() {
  export WINEPREFIX=$work/$1
  rm -rf "$WINEPREFIX"
  cp -a "$template" "$WINEPREFIX"
  prefixes+=("$WINEPREFIX")
}
# Ends the prefix's session once its programs have finished; the next session
# starts as after a restart, which carries out deletions left for it.
end_session() { wineserver -w; }

run() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
drive() { run "$driver" "$@"; }
unix_path() { run winepath -u "$1"; }
shot() { mkdir -p "$shots" && import -window root "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }
value() { run reg query "$1" /v "$2" | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p"; }
key_exists() { run reg query "$1" >/dev/null; }
key_missing() { ! key_exists "$1"; }

# The registry as regedit exports it, in sections, and the files of drive C:.
# Left out: device classes that Wine's display driver rewrites whenever a
# session starts, and the user's own settings of the Explorer extension.
snapshot() {
  local out=$work/$1
  run regedit /E "$(run winepath -w "$out.reg")" >/dev/null
  iconv -f UTF-16LE -t UTF-8 "$out.reg" | tr -d '\r' | awk '
    /^\[/ { skip = ($0 ~ /^\[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\/ ||
                    $0 ~ /^\[HKEY_(CURRENT_USER|USERS\\[^\\]+)\\Software\\Tarnwick(\]|\\Morvane)/) }
    !skip' >"$out.registry"
  (cd "$WINEPREFIX/drive_c" && find . | LC_ALL=C sort) >"$out.files"
}
same_as_before() {
  diff "$work/$1.files" "$work/$2.files" >"$work/$2.files.diff" ||
    fail "files differ from before ($2):
$(head -20 "$work/$2.files.diff")"
  diff "$work/$1.registry" "$work/$2.registry" >"$work/$2.registry.diff" ||
    fail "registry differs from before ($2):
$(head -30 "$work/$2.registry.diff")"
}

# --- round trip ------------------------------------------------------------------

round_trip() {
  # The browser is installed already; its plug-ins folder must stay.
  fresh_prefix regsvr32
  local reference=$WINEPREFIX
  fresh_prefix install
  local plugins='C:\Program Files\Navigator\Program\Plugins'
  local engine='C:\Program Files\Navigator\Program\Plugins\Engine\PLEXARO.DLL'
  mkdir -p "$WINEPREFIX/drive_c/Program Files/Navigator/Program/Plugins"
  snapshot before

  run "$setup" /S "/PLUGINS=$plugins" "/ENGINE=$engine"
  check "silent install exits with 0" [ $? = 0 ]

  # Every file where it belongs, as built, and nothing else.
  local dir plugdir
  dir=$(unix_path "$program_folder")
  plugdir=$(unix_path "$plugins")
  for f in "${installed[@]}"; do check "$f installed as built" cmp -s "$files/$f" "$dir/$f"; done
  check "NPKIRRA.DLL in the plug-ins folder" cmp -s "$files/NPKIRRA.DLL" "$plugdir/NPKIRRA.DLL"
  (cd "$WINEPREFIX/drive_c" && find . | LC_ALL=C sort) >"$work/installed.files"
  local added
  added=$(comm -13 "$work/before.files" "$work/installed.files")
  local expected
  expected=$(LC_ALL=C sort <<'EOF'
./Program Files/Navigator/Program/Plugins/NPKIRRA.DLL
./Program Files/Tarnwick
./Program Files/Tarnwick/MORVANE.DLL
./Program Files/Tarnwick/TAGSMITH.DLL
./Program Files/Tarnwick/UNINSTALL.EXE
./Program Files/Tarnwick/VERADOC.EXE
./ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick
./ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick/Tarnwick Conversion Tool.lnk
EOF
)
  [ "$added" = "$expected" ] || fail "files added by the setup:
$added"
  [ -z "$(comm -23 "$work/before.files" "$work/installed.files")" ] || fail "the setup removed files"

  # The class keys, byte for byte as regsvr32 writes them in another fresh
  # prefix for a DLL at the same place.
  run regedit /E "$(run winepath -w "$work/classes-setup.reg")" HKEY_CLASSES_ROOT >/dev/null
  (
    export WINEPREFIX=$reference
    mkdir -p "$WINEPREFIX/drive_c/Program Files/Tarnwick"
    cp "$files/MORVANE.DLL" "$WINEPREFIX/drive_c/Program Files/Tarnwick/"
    run regsvr32 /s "$program_folder\\MORVANE.DLL" || echo "FAIL: regsvr32 in the reference prefix"
    run regedit /E "$(run winepath -w "$work/classes-regsvr32.reg")" HKEY_CLASSES_ROOT >/dev/null
    end_session
  ) | grep FAIL && failures=$((failures + 1))
  check "class keys as regsvr32 writes them" cmp -s "$work/classes-setup.reg" "$work/classes-regsvr32.reg"
  check "the class is registered" key_exists 'HKCR\CLSID\{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}\InprocServer32'

  # Add/Remove Programs, the plug-in's engine setting.
  check "display name" [ "$(value "$uninstall_key" DisplayName)" = "Tarnwick" ]
  check "display version" [ "$(value "$uninstall_key" DisplayVersion)" = "$version" ]
  check "publisher" [ "$(value "$uninstall_key" Publisher)" = "Tarnwick" ]
  check "uninstall command" [ "$(value "$uninstall_key" UninstallString)" = "\"$program_folder\\UNINSTALL.EXE\"" ]
  check "engine setting" [ "$(value "$engine_key" plexaro.dll)" = "$engine" ]

  # The Start-menu entry starts the installed conversion tool.
  local link
  link=$(drive shortcut "$menu_entry")
  check "shortcut target" grep -qxF "target=$program_folder\\VERADOC.EXE" <<<"$link"
  check "shortcut folder" grep -qxF "folder=$program_folder" <<<"$link"
  check "the shortcut opens" drive open "$menu_entry"
  if drive wait ' Tarnwick Conversion Tool' 30; then
    check "the dialog is the installed program's" [ "$(drive owner ' Tarnwick Conversion Tool')" = "$program_folder\\VERADOC.EXE" ]
    shot veradoc-from-start-menu
    drive click ' Tarnwick Conversion Tool' Done
    check "the dialog closes" drive gone ' Tarnwick Conversion Tool'
  else
    fail "the shortcut did not bring up the dialog"
  fi

  # Explorer's part against the installed, registered DLL.
  mkdir -p "$work/explorer" && (cd "$work/explorer" &&
    MORVANE_INSTALLED_DLL="$program_folder\\MORVANE.DLL" run "$explorer_test" >"$work/explorer.log")
  check "the Explorer test passes against the installed DLL (see $work/explorer.log)" [ $? = 0 ]
  local stored
  stored=$(value 'HKCU\Software\Tarnwick\Morvane\Persistent Data' DestFolder)
  check "the Explorer test stored a destination folder" [ -n "$stored" ]

  # The uninstaller as Add/Remove Programs starts it: it hands over to a copy
  # of itself, whose end the session waits for.
  run "$dir/UNINSTALL.EXE" /S
  check "silent uninstall starts" [ $? = 0 ]
  end_session
  snapshot after
  same_as_before before after
  check "the user's destination folder stays" [ "$(value 'HKCU\Software\Tarnwick\Morvane\Persistent Data' DestFolder)" = "$stored" ]
  check "the browser's plug-ins folder stays" [ -d "$plugdir" ]
  end_session
}

# --- refusals --------------------------------------------------------------------

refusals() {
  fresh_prefix refusals
  : >"$WINEPREFIX/drive_c/blocker"
  snapshot before

  # A folder that cannot be made: a file stands in its way.
  run "$setup" /S '/PLUGINS=C:\blocker\Plugins'
  check "a folder that cannot be made gives 3" [ $? = 3 ]
  end_session
  snapshot after-folder
  same_as_before before after-folder

  # An administrator's install into a folder of his choice. /D= is read only
  # when it comes last and unquoted: Wine quotes an argument with spaces, so
  # the folder goes in word by word (so does _?= below).
  local folder='C:\Apps\Tarnwick Tools' words dir
  read -ra words <<<"/D=$folder"
  run "$setup" /S "${words[@]}"
  check "install with /D= gives 0" [ $? = 0 ]
  dir=$(unix_path "$folder")
  for f in "${installed[@]}" UNINSTALL.EXE Plugins/NPKIRRA.DLL; do check "$f in the folder of /D=" [ -f "$dir/$f" ]; done
  snapshot installed

  # A running browser holds the plug-in: installing over it and uninstalling
  # are refused and change nothing.
  drive hold "$folder\Plugins\NPKIRRA.DLL" 120 library >"$work/hold.log" &
  local holder=$!
  for _ in $(seq 100); do grep -q holding "$work/hold.log" && break; sleep 0.1; done
  run "$setup" /S
  check "installing over a plug-in in use gives 4" [ $? = 4 ]
  read -ra words <<<"_?=$folder"
  run "$dir/UNINSTALL.EXE" /S "${words[@]}"
  check "uninstalling a plug-in in use gives 4" [ $? = 4 ]
  snapshot refused
  same_as_before installed refused

  # Without /S the user is told why, on the page where the folders are chosen.
  run "$setup" &
  local interactive=$!
  drive wait 'Tarnwick Setup: Program Folder' 30 || fail "no setup window"
  check "the installed folder is offered" grep -qxF -e "$folder" -e "$folder\\" <<<"$(drive texts 'Tarnwick Setup: Program Folder')"
  drive click 'Tarnwick Setup: Program Folder' 'Next >'
  drive wait-text 'Tarnwick Setup: Browser Plug-in' 'Plug-ins folder' 30 || fail "no plug-in page"
  drive click 'Tarnwick Setup: Browser Plug-in' 'Install'
  drive wait-box 'Tarnwick Setup' 30 && shot setup-refuses-file-in-use
  local said
  said=$(drive answer 'Tarnwick Setup' 1 30)
  check "the box names the file in use" grep -qF "$folder\Plugins\NPKIRRA.DLL is in use." <<<"$said"
  drive click 'Tarnwick Setup: Browser Plug-in' 'Cancel'
  wait "$interactive"
  check "a cancelled setup gives 1" [ $? = 1 ]
  run taskkill /f /im setup_driver.exe >/dev/null
  wait "$holder"

  run "$dir/UNINSTALL.EXE" /S
  end_session
  snapshot after
  same_as_before before after
  end_session
}

# --- pages -----------------------------------------------------------------------

pages() {
  fresh_prefix pages
  local caption='Tarnwick Setup'
  run "$setup" &
  local setup_run=$!
  if ! drive wait "$caption: Program Folder" 30; then
    fail "no program folder page"
    return
  fi
  check "default program folder" grep -qxF "$program_folder" <<<"$(drive texts "$caption: Program Folder")"
  drive set-edit "$caption: Program Folder" 0 'C:\Tools\Tarnwick'
  shot setup-1-program-folder
  drive click "$caption: Program Folder" 'Next >'
  drive wait-text "$caption: Browser Plug-in" 'Plug-ins folder' 30 || fail "no plug-in page"
  check "plug-ins folder follows the program folder" grep -qxF 'C:\Tools\Tarnwick\Plugins' <<<"$(drive texts "$caption: Browser Plug-in")"
  drive set-edit "$caption: Browser Plug-in" 1 'C:\Engine\PLEXARO.DLL'
  shot setup-2-browser-plugin
  drive click "$caption: Browser Plug-in" 'Install'
  # The engine library does not exist: the user is asked and goes on.
  local asked
  asked=$(drive answer "$caption" 6 30)
  check "the missing engine library is pointed out" grep -qF 'C:\Engine\PLEXARO.DLL does not exist.' <<<"$asked"
  drive wait-text "$caption: Completed" 'Completed' 60 || fail "installation did not complete"
  shot setup-3-installed
  drive click "$caption: Completed" 'Close'
  wait "$setup_run"
  check "interactive install exits with 0" [ $? = 0 ]
  local dir
  dir=$(unix_path 'C:\Tools\Tarnwick')
  for f in "${installed[@]}" UNINSTALL.EXE Plugins/NPKIRRA.DLL; do check "$f in the chosen folder" [ -f "$dir/$f" ]; done
  check "engine setting" [ "$(value "$engine_key" plexaro.dll)" = 'C:\Engine\PLEXARO.DLL' ]

  run "$dir/UNINSTALL.EXE" &
  caption='Tarnwick Uninstall'
  if drive wait "$caption: Confirmation" 30; then
    shot uninstall-1-confirmation
    drive click "$caption: Confirmation" 'Uninstall'
    drive wait-text "$caption: Completed" 'Completed' 60 || fail "uninstall did not complete"
    shot uninstall-2-done
    drive click "$caption: Completed" 'Close'
    drive gone "$caption: Completed" 30
  else
    fail "no uninstall window"
  fi
  end_session
  check "the chosen folder is gone" [ ! -e "$dir" ]
  check "the engine setting is gone" key_missing "$engine_key"
}

mkdir -p "$work"
(
  flock 9
  make_template
) 9>"$(dirname "$work")/prefix-template.lock"
case $mode in
  round-trip) round_trip ;;
  refusals) refusals ;;
  pages) pages ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac
# A prefix takes 0.6 GB; one that shows a fault stays for a look.
[ "$failures" = 0 ] && rm -rf "${prefixes[@]}"
finish "setup $mode"
