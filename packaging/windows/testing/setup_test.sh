#!/usr/bin/env bash
# SETUP.EXE under Wine, each run in fresh prefixes of its own (32-bit, and
# 64-bit for x64) and on a virtual display of its own:
#   setup_test.sh round-trip|refusals|pages SETUP FILES DRIVER EXPLORER_TEST WORK VERSION
#   setup_test.sh x64 SETUP FILES DRIVER EXPLORER_TEST WORK VERSION EXPLORER_TEST_64
# round-trip  silent install, files and keys checked (the class keys against
#             a regsvr32 of the same DLL in a second fresh prefix), shortcut,
#             Explorer's use of the installed DLL, silent uninstall, and the
#             prefix as it was before
# refusals    a folder that cannot be made, files in use: a non-zero exit and
#             nothing changed; the message box as a user sees it; /D=
# pages       the pages of the setup and the uninstaller, walked by a user
# x64         on 64-bit Windows: both Explorer extensions installed, each
#             registered in its registry view as regsvr32 of its bitness
#             registers it, each used by an Explorer of its bitness, a file
#             in use, silent uninstall, and the prefix as it was before
# Screenshots go to WORK/../screenshots.
set -u
mode=$1 setup=$2 files=$3 driver=$4 explorer_test=$5 work=$6 version=$7 explorer_test64=${8:-}
here=$(cd "$(dirname "$0")" && pwd)
shots=$(dirname "$work")/screenshots

if [ -z "${TW_SETUP_TEST_DISPLAY:-}" ]; then
  # A display of our own: the screenshots show only our windows, and the
  # Windows tests that share the build's display are not disturbed.
  case $mode in round-trip) n=171 ;; refusals) n=181 ;; x64) n=201 ;; *) n=191 ;; esac
  export TW_SETUP_TEST_DISPLAY=1
  exec xvfb-run -a -n "$n" -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

# The loader of the prefix's bitness: the tools it starts (reg, regedit,
# regsvr32) are of that bitness and see the registry as such programs do. A
# 32-bit regedit in a 64-bit prefix would export the 32-bit view alone.
arch=win32 loader=wine
if [ "$mode" = x64 ]; then
  arch=win64
  loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
fi
export WINEARCH=$arch WINEDEBUG=-all LC_ALL=C.UTF-8
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
template=$(dirname "$work")/prefix-template-$arch
make_template() {
  local stamp
  stamp="$(wine --version) $WINEARCH $WINEDLLOVERRIDES"
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

run() { "$loader" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
drive() { run "$driver" "$@"; }
unix_path() { run winepath -u "$1"; }
shot() { mkdir -p "$shots" && import -window root "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }
value() { run reg query "$1" /v "$2" | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p"; }
key_exists() { run reg query "$1" >/dev/null; }
key_missing() { ! key_exists "$1"; }
# The registry as a program of BITS (32 or 64) sees it, read by the reg of
# that bitness: in a 64-bit prefix the 32-bit one sees the keys that both
# views share, which /reg:32 of the 64-bit reg does not show under Wine.
#   view_reg BITS ARGS..., view_has|view_lacks KEY BITS, view_value KEY BITS [NAME]
view_reg() {
  local bits=$1 tool=$loader
  shift
  [ "$bits" = 32 ] && tool=wine
  "$tool" reg "$@" </dev/null 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
view_has() { view_reg "$2" query "$1" >/dev/null; }
view_lacks() { ! view_has "$@"; }
view_value() {
  local shown
  if [ -n "${3:-}" ]; then shown=$(view_reg "$2" query "$1" /v "$3"); else shown=$(view_reg "$2" query "$1" /ve); fi
  sed -nE 's/^ +(\(Default\)|[^ ]+) +REG_[A-Z_]+ +//p' <<<"$shown"
}

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

# Checks, after an install, that the files below drive_c are those of before
# plus exactly the paths given on stdin (one a line, as find prints them).
added_files_are() {
  (cd "$WINEPREFIX/drive_c" && find . | LC_ALL=C sort) >"$work/installed.files"
  local added expected
  added=$(comm -13 "$work/before.files" "$work/installed.files")
  expected=$(LC_ALL=C sort)
  [ "$added" = "$expected" ] || fail "files added by the setup:
$added"
  [ -z "$(comm -23 "$work/before.files" "$work/installed.files")" ] || fail "the setup removed files"
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
  added_files_are <<'EOF'
./Program Files/Navigator/Program/Plugins/NPKIRRA.DLL
./Program Files/Tarnwick
./Program Files/Tarnwick/MORVANE.DLL
./Program Files/Tarnwick/TAGSMITH.DLL
./Program Files/Tarnwick/UNINSTALL.EXE
./Program Files/Tarnwick/VERADOC.EXE
./ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick
./ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick/Tarnwick Conversion Tool.lnk
EOF

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

# --- 64-bit Windows --------------------------------------------------------------

x64() {
  if [ ! -f "$explorer_test64" ]; then
    fail "no 64-bit Explorer test at [$explorer_test64]: build the x86_64 tree"
    return
  fi
  local clsid='{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}'
  local class_key="HKCR\\CLSID\\$clsid" product_key="HKLM\\Software\\Tarnwick\\Morvane\\$version"
  local hooks=('HKCR\*\shellex\ContextMenuHandlers\Morvane' 'HKCR\Folder\shellex\ContextMenuHandlers\Morvane'
               'HKCR\Drive\shellex\ContextMenuHandlers\Morvane' 'HKCR\Directory\shellex\ContextMenuHandlers\Morvane')
  # A 32-bit setup installs into the Program Files of 32-bit programs.
  local folder='C:\Program Files (x86)\Tarnwick'
  local dll32="$folder\\MORVANE.DLL" dll64="$folder\\x64\\MORVANE.DLL"

  fresh_prefix regsvr32
  local reference=$WINEPREFIX
  fresh_prefix install
  snapshot before

  run "$setup" /S
  check "silent install exits with 0" [ $? = 0 ]

  # Every file where it belongs, as built, and nothing else.
  local dir
  dir=$(unix_path "$folder")
  for f in "${installed[@]}" x64/MORVANE.DLL; do check "$f installed as built" cmp -s "$files/$f" "$dir/$f"; done
  check "NPKIRRA.DLL in the plug-ins folder" cmp -s "$files/NPKIRRA.DLL" "$dir/Plugins/NPKIRRA.DLL"
  added_files_are <<'EOF'
./Program Files (x86)/Tarnwick
./Program Files (x86)/Tarnwick/MORVANE.DLL
./Program Files (x86)/Tarnwick/Plugins
./Program Files (x86)/Tarnwick/Plugins/NPKIRRA.DLL
./Program Files (x86)/Tarnwick/TAGSMITH.DLL
./Program Files (x86)/Tarnwick/UNINSTALL.EXE
./Program Files (x86)/Tarnwick/VERADOC.EXE
./Program Files (x86)/Tarnwick/x64
./Program Files (x86)/Tarnwick/x64/MORVANE.DLL
./ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick
./ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick/Tarnwick Conversion Tool.lnk
EOF

  # Each view, key by key: the class names the DLL of its bitness; the
  # product key is in each view; the shell's hooks, shared, name the class.
  local view dll hook
  for view in 64 32; do
    if [ $view = 64 ]; then dll=$dll64; else dll=$dll32; fi
    expect "class ($view-bit view)" "Tarnwick Conversion Shell Extension" "$(view_value "$class_key" $view)"
    expect "server ($view-bit view)" "$dll" "$(view_value "$class_key\\InprocServer32" $view)"
    expect "threading model ($view-bit view)" Apartment \
      "$(view_value "$class_key\\InprocServer32" $view ThreadingModel)"
    check "product key ($view-bit view)" view_has "$product_key" $view
    for hook in "${hooks[@]}"; do expect "$hook ($view-bit view)" "$clsid" "$(view_value "$hook" $view)"; done
  done

  # The same keys, byte for byte, as the regsvr32 of each bitness writes for
  # the DLLs at the same places in another fresh prefix. The 64-bit regedit
  # exports the 32-bit view too, as the Wow6432Node keys.
  local exports=(HKEY_CLASSES_ROOT 'HKEY_LOCAL_MACHINE\Software\Tarnwick'
                 'HKEY_LOCAL_MACHINE\Software\Wow6432Node\Tarnwick') i
  for i in "${!exports[@]}"; do
    run regedit /E "$(run winepath -w "$work/setup-$i.reg")" "${exports[$i]}" >/dev/null
  done
  (
    export WINEPREFIX=$reference
    mkdir -p "$(unix_path "$folder")/x64"
    cp "$files/MORVANE.DLL" "$(unix_path "$dll32")"
    cp "$files/x64/MORVANE.DLL" "$(unix_path "$dll64")"
    # The 64-bit regsvr32 hands the 32-bit DLL to the 32-bit one.
    run regsvr32 /s "$dll32" || echo "FAIL: regsvr32 of the 32-bit DLL in the reference prefix"
    run regsvr32 /s "$dll64" || echo "FAIL: regsvr32 of the 64-bit DLL in the reference prefix"
    for i in "${!exports[@]}"; do
      run regedit /E "$(run winepath -w "$work/regsvr32-$i.reg")" "${exports[$i]}" >/dev/null
    done
    end_session
  ) | grep FAIL && failures=$((failures + 1))
  for i in "${!exports[@]}"; do
    check "${exports[$i]} as regsvr32 writes it" cmp -s "$work/setup-$i.reg" "$work/regsvr32-$i.reg"
  done
  check "the export holds the 32-bit view's class" \
    grep -qF 'Wow6432Node\CLSID\{6A2A5EC0' <(iconv -f UTF-16LE -t UTF-8 "$work/setup-0.reg")

  # Explorer (64-bit) and a 32-bit program's file dialog each find the
  # extension of their bitness and convert with it.
  local bits test
  for bits in 64 32; do
    if [ $bits = 64 ]; then test=$explorer_test64 dll=$dll64; else test=$explorer_test dll=$dll32; fi
    mkdir -p "$work/explorer$bits" && (cd "$work/explorer$bits" &&
      MORVANE_INSTALLED_DLL="$dll" run "$test" >"$work/explorer$bits.log")
    check "the $bits-bit Explorer test passes against the installed DLL (see $work/explorer$bits.log)" [ $? = 0 ]
  done
  local stored
  stored=$(value 'HKCU\Software\Tarnwick\Morvane\Persistent Data' DestFolder)
  check "the Explorer tests stored a destination folder" [ -n "$stored" ]

  # Explorer holds the 64-bit extension: the uninstaller refuses and leaves
  # both registrations.
  drive hold "$dll64" 120 >"$work/hold.log" &
  local holder=$! words
  for _ in $(seq 100); do grep -q holding "$work/hold.log" && break; sleep 0.1; done
  read -ra words <<<"_?=$folder"
  run "$dir/UNINSTALL.EXE" /S "${words[@]}"
  check "uninstalling with the 64-bit extension in use gives 4" [ $? = 4 ]
  for view in 64 32; do check "still registered ($view-bit view)" view_has "$class_key" $view; done
  run taskkill /f /im setup_driver.exe >/dev/null
  wait "$holder"

  # Silent uninstall: both registrations go, and everything else the setup
  # added; the user's destination folder stays.
  run "$dir/UNINSTALL.EXE" /S
  check "silent uninstall starts" [ $? = 0 ]
  end_session
  # The hook keys and everything else: the snapshot, which holds both views.
  for view in 64 32; do
    check "class key gone ($view-bit view)" view_lacks "$class_key" $view
    check "product key gone ($view-bit view)" view_lacks 'HKLM\Software\Tarnwick\Morvane' $view
  done
  snapshot after
  same_as_before before after
  check "the user's destination folder stays" \
    [ "$(value 'HKCU\Software\Tarnwick\Morvane\Persistent Data' DestFolder)" = "$stored" ]

  # The uninstaller as a user sees it: whichever DLL is unregistered second
  # fails on the shared hook keys, yet both count as unregistered.
  run "$setup" /S
  check "second silent install exits with 0" [ $? = 0 ]
  run "$dir/UNINSTALL.EXE" &
  local caption='Tarnwick Uninstall'
  if drive wait "$caption: Confirmation" 30; then
    drive click "$caption: Confirmation" 'Uninstall'
    if drive wait-text "$caption: Completed" 'Completed' 60; then
      drive details "$caption: Completed" >"$work/uninstall-details.txt"
      contains "details" "The Explorer extension $dll64 is no longer registered." "$work/uninstall-details.txt"
      contains "details" "The Explorer extension $dll32 is no longer registered." "$work/uninstall-details.txt"
      grep -q 'could not' "$work/uninstall-details.txt" && fail "the uninstaller reports a failure: $(cat "$work/uninstall-details.txt")"
      shot uninstall-x64-done
      drive click "$caption: Completed" 'Close'
      drive gone "$caption: Completed" 30
    else
      fail "uninstall did not complete"
    fi
  else
    fail "no uninstall window"
  fi
  end_session
  snapshot after-interactive
  same_as_before before after-interactive
  end_session
}

mkdir -p "$work"
(
  flock 9
  make_template
) 9>"$template.lock"
case $mode in
  round-trip) round_trip ;;
  refusals) refusals ;;
  pages) pages ;;
  x64) x64 ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac
# A prefix takes 0.6 GB; one that shows a fault stays for a look.
[ "$failures" = 0 ] && rm -rf "${prefixes[@]}"
finish "setup $mode"
