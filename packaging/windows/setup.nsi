; SETUP.EXE: installs the conversion tool, the Explorer extension, the
; browser plug-in and the file-version library, and writes an uninstaller
; that takes away exactly what the setup added.
;
; Built by CMake (packaging/windows/CMakeLists.txt), which passes:
;   VERSION    the product version, four numbers ("1.0.0.1")
;   OUTFILE    where SETUP.EXE goes
;   FILES      the folder with VERADOC.EXE, MORVANE.DLL, NPKIRRA.DLL, TAGSMITH.DLL
;              and, with WITH_X64, x64\MORVANE.DLL
;   ICON       the program icon
;   WITH_X64   (defined or not) whether the setup carries the 64-bit Explorer
;              extension; it is installed and registered on 64-bit Windows only
;
; Command line (the folders also for a silent install by an administrator):
;   SETUP.EXE [/S] [/PLUGINS=folder] [/ENGINE=library] [/D=program folder]
; /D= must come last and is not quoted. Exit status: 0 installed, 1 cancelled,
; 3 a folder cannot be written, 4 a file is in use, 5 the Explorer extension
; could not register itself, 6 installed already in other folders.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include x64.nsh

!define PRODUCT "Tarnwick"
!define PUBLISHER "Tarnwick"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick"
!define ENGINE_KEY "Software\Tarnwick\ActiveX Plug-in"
!define ENGINE_VALUE "plexaro.dll"
!define VENDOR_KEY "Software\Tarnwick"
!define MORVANE_CLSID "{6A2A5EC0-E3D3-11cf-93A3-00A02443D8FF}"
!define MENU_FOLDER "$SMPROGRAMS\Tarnwick"
!define SHORTCUT "$SMPROGRAMS\Tarnwick\Tarnwick Conversion Tool.lnk"
; The 64-bit Explorer extension registers itself under its own file name, so
; it keeps the name MORVANE.DLL in a folder of its own.
!define X64_FOLDER "$INSTDIR\x64"
!define X64_DLL "$INSTDIR\x64\MORVANE.DLL"

!define EXIT_FOLDER 3
!define EXIT_IN_USE 4
!define EXIT_REGISTRATION 5
!define EXIT_ELSEWHERE 6

; The name SETUP.EXE is the one users look for. makensis warns that Windows
; applies its installer compatibility shims to programs of that name; the
; setup loads no DLL from its own folder, so the warning is silenced.
!pragma warning disable 9000
Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES\Tarnwick"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show
XPStyle off
InstallColors /windows

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 1996 ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "SETUP.EXE"

; The Explorer extension registers and unregisters itself as regsvr32 has it
; do: the setup loads the DLL and calls its DllRegisterServer or
; DllUnregisterServer. Every registration goes through these two, so that a
; second build of the extension (another folder, another registry view) is
; one more call each.
!macro RegisterServer DLL
  ClearErrors
  RegDLL "${DLL}"
!macroend
!macro UnregisterServer DLL
  ClearErrors
  UnRegDLL "${DLL}"
!macroend

; The 64-bit extension cannot be loaded into this 32-bit program: the 64-bit
; regsvr32 (reached with the file system redirection of 32-bit programs
; turned off) calls its DllRegisterServer or DllUnregisterServer, and writes
; into the 64-bit registry view. The error flag is set when it fails.
!macro RunRegsvr64 OPTIONS DLL
  StrCpy $R0 error
  ${DisableX64FSRedirection}
  ExecWait '"$SYSDIR\regsvr32.exe" /s ${OPTIONS} "${DLL}"' $R0
  ${EnableX64FSRedirection}
  ClearErrors
  ${If} $R0 != 0
    SetErrors
  ${EndIf}
!macroend
!macro RegisterServer64 DLL
  !insertmacro RunRegsvr64 "" "${DLL}"
!macroend
!macro UnregisterServer64 DLL
  !insertmacro RunRegsvr64 "/u" "${DLL}"
!macroend

Var PluginFolder       ; the browser's plug-ins folder
Var PluginsChosen      ; 1 once the user or the command line named it
Var EnginePath         ; the hosting engine's library, or empty
Var Problem            ; why the installation cannot go on, or empty
Var ProblemCode        ; the exit status that goes with it
Var PluginsField       ; the edits of the plug-in page
Var EngineField
Var Reinstall          ; 1 when an installation into the same folders exists
Var Registered         ; 1 once the Explorer extension has tried to register itself
Var Registered64       ; the same for the 64-bit Explorer extension
Var Install64          ; 1 when the 64-bit Explorer extension is installed too
Var MadeProgramFolder  ; the topmost folder this installation made, or empty
Var MadePluginsFolder

PageEx directory
  Caption ": Program Folder"
  DirText "Setup will install the Tarnwick Conversion Tool, the Explorer extension and the file-version library into the following folder. To install into another folder, click Browse and choose it." "Program folder" "B&rowse..." "Choose the program folder:"
PageExEnd
Page custom PluginsPageShow PluginsPageLeave ": Browser Plug-in"
Page instfiles

UninstallText "This will remove the Tarnwick Conversion Tool, the Explorer extension, the browser plug-in and the file-version library, and their Start-menu entry. Files of your own stay."
UninstPage uninstConfirm
UninstPage instfiles

; --- shared helpers ----------------------------------------------------------

; The path without trailing backslashes ("C:\" stays).
!macro TrimFolder VAR
  ${Do}
    StrCpy $R8 ${VAR} 1 -1
    StrLen $R7 ${VAR}
    ${If} $R8 != "\"
    ${OrIf} $R7 <= 3
      ${Break}
    ${EndIf}
    StrCpy ${VAR} ${VAR} -1
  ${Loop}
!macroend

; $R9 := the topmost folder of $R0 that does not exist yet ("" when $R0
; exists), so that the uninstaller removes only folders the setup made.
Function FirstMissingFolder
  Push $R1
  StrCpy $R9 ""
  StrCpy $R1 $R0
  ${DoUntil} ${FileExists} "$R1\*.*"
    StrCpy $R9 $R1
    ${GetParent} $R1 $R1
    ${If} $R1 == ""
      ${Break}
    ${EndIf}
  ${Loop}
  Pop $R1
FunctionEnd

; $R9 := the topmost key of HKEY_CLASSES_ROOT\$R0 that does not exist yet
; ("" when $R0 exists): registration makes the keys on the way, and the
; uninstaller takes away those it made.
Function FirstMissingClassKey
  Push $R1
  Push $R2
  StrCpy $R9 ""
  StrCpy $R1 $R0
  ${Do}
    ClearErrors
    EnumRegKey $R2 HKCR $R1 0
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    StrCpy $R9 $R1
    ${GetParent} $R1 $R1
  ${LoopUntil} $R1 == ""
  Pop $R2
  Pop $R1
FunctionEnd

; Problem := why files cannot be put into folder $R0 (made if missing), or
; leaves it as it is. Nothing is created: the nearest existing folder on the
; way is tried with a scratch file.
Function CheckFolder
  Push $R1
  Push $R2
  StrCpy $R1 $R0
  ${DoUntil} ${FileExists} "$R1\*.*"
    ${If} ${FileExists} $R1
      StrCpy $Problem "Setup cannot create the folder $R0: $R1 is a file."
      StrCpy $ProblemCode ${EXIT_FOLDER}
      Goto done
    ${EndIf}
    ${GetParent} $R1 $R1
    ${If} $R1 == ""
      StrCpy $Problem "Setup cannot create the folder $R0: its drive does not exist."
      StrCpy $ProblemCode ${EXIT_FOLDER}
      Goto done
    ${EndIf}
  ${Loop}
  ClearErrors
  FileOpen $R2 "$R1\~twsetup.tmp" w
  ${If} ${Errors}
    StrCpy $Problem "Setup cannot write to the folder $R1.$\r$\n$\r$\nChoose another folder, or ask your administrator for access to this one."
    StrCpy $ProblemCode ${EXIT_FOLDER}
  ${Else}
    FileClose $R2
    Delete "$R1\~twsetup.tmp"
  ${EndIf}
done:
  Pop $R2
  Pop $R1
FunctionEnd

; Problem := why file $R0, when it exists, cannot be replaced or removed.
; A program that runs or a DLL that is loaded cannot be opened for writing.
!macro CheckFileCommon PREFIX
Function ${PREFIX}CheckFile
  Push $R1
  ${If} ${FileExists} $R0
    ClearErrors
    FileOpen $R1 $R0 a
    ${If} ${Errors}
      StrCpy $Problem "$R0 is in use.$\r$\n$\r$\nClose the programs that use it (the conversion tool, a browser with the plug-in, Explorer windows) and run Setup again."
      StrCpy $ProblemCode ${EXIT_IN_USE}
    ${Else}
      FileClose $R1
    ${EndIf}
  ${EndIf}
  Pop $R1
FunctionEnd
!macroend
!insertmacro CheckFileCommon ""
!insertmacro CheckFileCommon "un."

; --- installer ---------------------------------------------------------------

; $R1 := the value of option $R0 ("/NAME=") on the command line, or "" when
; it is not there. Takes /NAME=value (up to the next " /"), /NAME="value"
; and "/NAME=value", the way a program quotes an argument with spaces.
Function CommandLineOption
  Push $R2  ; the parameters
  Push $R3  ; position in them
  Push $R4  ; length of the option's name
  Push $R5  ; scratch
  Push $R6  ; length of the parameters
  Push $R7  ; 1 inside quotes
  ${GetParameters} $R2
  StrLen $R4 $R0
  StrLen $R6 $R2
  StrCpy $R1 ""
  StrCpy $R3 0
  ${DoWhile} $R3 < $R6
    StrCpy $R5 $R2 $R4 $R3
    ${If} $R5 == $R0  ; compared without regard to case
      StrCpy $R7 ""
      ${If} $R3 > 0
        IntOp $R5 $R3 - 1
        StrCpy $R7 $R2 1 $R5
      ${EndIf}
      ${If} $R7 == ""
      ${OrIf} $R7 == " "
      ${OrIf} $R7 == '"'
        ${If} $R7 == '"'
          StrCpy $R7 1
        ${Else}
          StrCpy $R7 0
        ${EndIf}
        IntOp $R3 $R3 + $R4
        StrCpy $R5 $R2 1 $R3
        ${If} $R7 == 0
        ${AndIf} $R5 == '"'
          StrCpy $R7 1
          IntOp $R3 $R3 + 1
        ${EndIf}
        ${DoWhile} $R3 < $R6
          StrCpy $R5 $R2 1 $R3
          ${If} $R7 == 1
            ${IfThen} $R5 == '"' ${|} ${Break} ${|}
          ${Else}
            StrCpy $R5 $R2 2 $R3
            ${IfThen} $R5 == " /" ${|} ${Break} ${|}
            StrCpy $R5 $R2 1 $R3
          ${EndIf}
          StrCpy $R1 "$R1$R5"
          IntOp $R3 $R3 + 1
        ${Loop}
        ${Break}
      ${EndIf}
    ${EndIf}
    IntOp $R3 $R3 + 1
  ${Loop}
  ; Spaces before the next option or at the end are not part of the value.
  ${Do}
    StrCpy $R5 $R1 1 -1
    ${IfThen} $R5 != " " ${|} ${Break} ${|}
    StrCpy $R1 $R1 -1
  ${Loop}
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
FunctionEnd

Function .onInit
  SetShellVarContext all
  ; 64-bit Explorer loads only 64-bit extensions; the 32-bit one stays for
  ; the file dialogs of 32-bit programs.
  StrCpy $Install64 0
  !ifdef WITH_X64
  ${If} ${IsNativeAMD64}
    StrCpy $Install64 1
  ${EndIf}
  !endif
  StrCpy $PluginsChosen 0
  StrCpy $R0 "/PLUGINS="
  Call CommandLineOption
  ${If} $R1 != ""
    StrCpy $PluginFolder $R1
    StrCpy $PluginsChosen 1
  ${Else}
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "PluginsFolder"
    ${If} $R1 != ""
      StrCpy $PluginFolder $R1
      StrCpy $PluginsChosen 1
    ${EndIf}
  ${EndIf}
  StrCpy $R0 "/ENGINE="
  Call CommandLineOption
  StrCpy $EnginePath $R1
FunctionEnd

; The plug-ins folder follows the program folder until someone names it.
Function DefaultPluginsFolder
  ${If} $PluginsChosen != 1
    StrCpy $PluginFolder "$INSTDIR\Plugins"
  ${EndIf}
  !insertmacro TrimFolder $PluginFolder
FunctionEnd

Function PluginsPageShow
  Call DefaultPluginsFolder
  nsDialogs::Create 1018
  Pop $R0
  ${If} $R0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 24u "Setup will copy the browser plug-in NPKIRRA.DLL into the browser's plug-ins folder. Choose that folder, or keep the one below and copy the plug-in from there later."
  Pop $R0
  ${NSD_CreateGroupBox} 0 26u 100% 30u "Plug-ins folder"
  Pop $R0
  ${NSD_CreateDirRequest} 8u 38u 190u 12u "$PluginFolder"
  Pop $PluginsField
  ${NSD_CreateBrowseButton} 204u 37u 54u 14u "Bro&wse..."
  Pop $R0
  ${NSD_OnClick} $R0 BrowsePlugins
  ${NSD_CreateLabel} 0 60u 100% 24u "The plug-in runs ActiveX controls through the hosting engine PLEXARO.DLL. If the engine is not in the plug-ins folder, name its library here; otherwise leave this empty."
  Pop $R0
  ${NSD_CreateGroupBox} 0 86u 100% 30u "Hosting engine library (optional)"
  Pop $R0
  ${NSD_CreateFileRequest} 8u 98u 190u 12u "$EnginePath"
  Pop $EngineField
  ${NSD_CreateBrowseButton} 204u 97u 54u 14u "Brows&e..."
  Pop $R0
  ${NSD_OnClick} $R0 BrowseEngine
  nsDialogs::Show
FunctionEnd

Function BrowsePlugins
  Pop $R0
  ${NSD_GetText} $PluginsField $R1
  nsDialogs::SelectFolderDialog "Choose the browser's plug-ins folder:" $R1
  Pop $R1
  ${If} $R1 != error
    ${NSD_SetText} $PluginsField $R1
  ${EndIf}
FunctionEnd

Function BrowseEngine
  Pop $R0
  ${NSD_GetText} $EngineField $R1
  nsDialogs::SelectFileDialog open $R1 "Libraries (*.dll)|*.dll|All files (*.*)|*.*"
  Pop $R1
  ${If} $R1 != ""
    ${NSD_SetText} $EngineField $R1
  ${EndIf}
FunctionEnd

Function PluginsPageLeave
  ${NSD_GetText} $PluginsField $R1
  ${NSD_GetText} $EngineField $EnginePath
  ${If} $R1 == ""
    MessageBox MB_ICONEXCLAMATION|MB_OK "Choose the folder for the browser plug-in."
    Abort
  ${EndIf}
  ${If} $R1 != $PluginFolder
    StrCpy $PluginFolder $R1
    StrCpy $PluginsChosen 1
  ${EndIf}
  ${If} $EnginePath != ""
  ${AndIfNot} ${FileExists} $EnginePath
    MessageBox MB_ICONQUESTION|MB_YESNO "$EnginePath does not exist.$\r$\n$\r$\nUse this path for the hosting engine anyway?" IDYES +2
    Abort
  ${EndIf}
  Call CheckAll
  ${If} $Problem != ""
    MessageBox MB_ICONSTOP|MB_OK $Problem
    Abort
  ${EndIf}
FunctionEnd

; Problem := the first reason why the installation cannot go on; nothing is
; changed on disk or in the registry to find out.
Function CheckAll
  StrCpy $Problem ""
  Call DefaultPluginsFolder
  !insertmacro TrimFolder $INSTDIR
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $R2 HKLM "${UNINSTALL_KEY}" "PluginsFolder"
  ${If} $R1 != ""
    ${If} $R1 != $INSTDIR
    ${OrIf} $R2 != $PluginFolder
      StrCpy $Problem "${PRODUCT} is already installed in $R1 with the plug-in in $R2.$\r$\n$\r$\nInstall into the same folders, or remove the installed copy first (Add/Remove Programs)."
      StrCpy $ProblemCode ${EXIT_ELSEWHERE}
      Return
    ${EndIf}
  ${EndIf}
  ${ForEach} $R3 1 3 + 1
    ${Select} $R3
      ${Case} 1
        StrCpy $R0 $INSTDIR
      ${Case} 2
        StrCpy $R0 $PluginFolder
      ${Case} 3
        StrCpy $R0 "${MENU_FOLDER}"
    ${EndSelect}
    Call CheckFolder
    ${If} $Problem != ""
      Return
    ${EndIf}
  ${Next}
  ${ForEach} $R3 1 6 + 1
    ${Select} $R3
      ${Case} 1
        StrCpy $R0 "$INSTDIR\VERADOC.EXE"
      ${Case} 2
        StrCpy $R0 "$INSTDIR\MORVANE.DLL"
      ${Case} 3
        StrCpy $R0 "$INSTDIR\TAGSMITH.DLL"
      ${Case} 4
        StrCpy $R0 "$INSTDIR\UNINSTALL.EXE"
      ${Case} 5
        StrCpy $R0 "$PluginFolder\NPKIRRA.DLL"
      ${Case} 6
        StrCpy $R0 "${SHORTCUT}"
    ${EndSelect}
    Call CheckFile
    ${If} $Problem != ""
      Return
    ${EndIf}
  ${Next}
  ${If} $Install64 == 1
    StrCpy $R0 "${X64_FOLDER}"
    Call CheckFolder
    ${If} $Problem == ""
      StrCpy $R0 "${X64_DLL}"
      Call CheckFile
    ${EndIf}
  ${EndIf}
FunctionEnd

; Stops the installation with the reason in $Problem, after taking back what
; this run has put in place.
Function Fail
  DetailPrint $Problem
  ${If} $Reinstall == 0
    ${If} $Registered64 == 1
      ; Its class and product keys are in the 64-bit view; the shell's hook
      ; keys are shared by both views and go below.
      !insertmacro UnregisterServer64 "${X64_DLL}"
      ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "MadeVendorKey64"
      SetRegView 64
      DeleteRegKey HKCR "CLSID\${MORVANE_CLSID}"
      DeleteRegKey HKLM "${VENDOR_KEY}\Morvane"
      ${If} $R0 == 1
        DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${VENDOR_KEY}"
      ${EndIf}
      SetRegView 32
    ${EndIf}
    ${If} $Registered == 1
      ; A registration that failed half-way leaves keys that unregistration,
      ; which stops at the first missing key, may not reach.
      !insertmacro UnregisterServer "$INSTDIR\MORVANE.DLL"
      DeleteRegKey HKCR "CLSID\${MORVANE_CLSID}"
      DeleteRegKey HKCR "*\shellex\ContextMenuHandlers\Morvane"
      DeleteRegKey HKCR "Folder\shellex\ContextMenuHandlers\Morvane"
      DeleteRegKey HKCR "Drive\shellex\ContextMenuHandlers\Morvane"
      DeleteRegKey HKCR "Directory\shellex\ContextMenuHandlers\Morvane"
      DeleteRegKey HKLM "${VENDOR_KEY}\Morvane"
      Call RemoveMadeClassKeys
    ${EndIf}
    Delete "$INSTDIR\VERADOC.EXE"
    Delete "$INSTDIR\MORVANE.DLL"
    Delete "$INSTDIR\TAGSMITH.DLL"
    Delete "$PluginFolder\NPKIRRA.DLL"
    Delete "${X64_DLL}"
    ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "MadeX64Folder"
    ${If} $R0 == 1
      RMDir "${X64_FOLDER}"
    ${EndIf}
    StrCpy $R0 $PluginFolder
    StrCpy $R1 $MadePluginsFolder
    Call RemoveMadeFolders
    StrCpy $R0 $INSTDIR
    StrCpy $R1 $MadeProgramFolder
    Call RemoveMadeFolders
    ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "MadeVendorKey"
    ${If} $R0 == 1
      DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${VENDOR_KEY}"
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  MessageBox MB_ICONSTOP|MB_OK $Problem /SD IDOK
  SetErrorLevel $ProblemCode
  Quit
FunctionEnd

; Removes the empty folders from $R0 up to $R1, the topmost one the setup
; made ("" when it made none).
!macro RemoveMadeFoldersCommon PREFIX
Function ${PREFIX}RemoveMadeFolders
  ${If} $R1 == ""
    Return
  ${EndIf}
  ${Do}
    RMDir $R0
    ${If} $R0 == $R1
      ${Break}
    ${EndIf}
    ${GetParent} $R0 $R0
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro RemoveMadeFoldersCommon ""
!insertmacro RemoveMadeFoldersCommon "un."

; Removes the handler keys of the shell's classes that registration made and
; that hold nothing else now, as recorded by RecordClassKeys.
!macro RemoveMadeClassKeysCommon PREFIX
Function ${PREFIX}RemoveMadeClassKeys
  ${ForEach} $R3 1 4 + 1
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "MadeClassKey$R3"
    ${If} $R1 != ""
      ${Select} $R3
        ${Case} 1
          StrCpy $R0 "*\shellex\ContextMenuHandlers"
        ${Case} 2
          StrCpy $R0 "Folder\shellex\ContextMenuHandlers"
        ${Case} 3
          StrCpy $R0 "Drive\shellex\ContextMenuHandlers"
        ${Case} 4
          StrCpy $R0 "Directory\shellex\ContextMenuHandlers"
      ${EndSelect}
      ${Do}
        DeleteRegKey /ifnosubkeys /ifnovalues HKCR $R0
        ${If} $R0 == $R1
          ${Break}
        ${EndIf}
        ${GetParent} $R0 $R0
      ${LoopUntil} $R0 == ""
    ${EndIf}
  ${Next}
FunctionEnd
!macroend
!insertmacro RemoveMadeClassKeysCommon ""
!insertmacro RemoveMadeClassKeysCommon "un."

Section "Tarnwick"
  SectionIn RO
  StrCpy $Registered 0
  StrCpy $Registered64 0
  StrCpy $Reinstall 1  ; until the checks pass there is nothing to take back
  Call CheckAll
  ${If} $Problem != ""
    Call Fail
  ${EndIf}

  ; What existed before, so that the uninstaller removes only what the setup
  ; made. A second installation into the same folders keeps the first record.
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R1 == ""
    StrCpy $Reinstall 0
    StrCpy $R0 $INSTDIR
    Call FirstMissingFolder
    StrCpy $MadeProgramFolder $R9
    StrCpy $R0 $PluginFolder
    Call FirstMissingFolder
    StrCpy $MadePluginsFolder $R9
    StrCpy $R0 "${MENU_FOLDER}"
    Call FirstMissingFolder
    WriteRegStr HKLM "${UNINSTALL_KEY}" "MadeMenuFolder" $R9
    WriteRegStr HKLM "${UNINSTALL_KEY}" "MadeProgramFolder" $MadeProgramFolder
    WriteRegStr HKLM "${UNINSTALL_KEY}" "MadePluginsFolder" $MadePluginsFolder
    ClearErrors
    EnumRegKey $R0 HKLM "${VENDOR_KEY}" 0
    ${If} ${Errors}
      WriteRegDWORD HKLM "${UNINSTALL_KEY}" "MadeVendorKey" 1
    ${EndIf}
    ${If} $Install64 == 1
      ${IfNot} ${FileExists} "${X64_FOLDER}\*.*"
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "MadeX64Folder" 1
      ${EndIf}
      ; The 64-bit extension writes its product key into the 64-bit view.
      SetRegView 64
      ClearErrors
      EnumRegKey $R0 HKLM "${VENDOR_KEY}" 0
      StrCpy $R0 0
      ${If} ${Errors}
        StrCpy $R0 1
      ${EndIf}
      SetRegView 32
      ${If} $R0 == 1
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "MadeVendorKey64" 1
      ${EndIf}
    ${EndIf}
    StrCpy $R0 "*\shellex\ContextMenuHandlers"
    Call FirstMissingClassKey
    WriteRegStr HKLM "${UNINSTALL_KEY}" "MadeClassKey1" $R9
    StrCpy $R0 "Folder\shellex\ContextMenuHandlers"
    Call FirstMissingClassKey
    WriteRegStr HKLM "${UNINSTALL_KEY}" "MadeClassKey2" $R9
    StrCpy $R0 "Drive\shellex\ContextMenuHandlers"
    Call FirstMissingClassKey
    WriteRegStr HKLM "${UNINSTALL_KEY}" "MadeClassKey3" $R9
    StrCpy $R0 "Directory\shellex\ContextMenuHandlers"
    Call FirstMissingClassKey
    WriteRegStr HKLM "${UNINSTALL_KEY}" "MadeClassKey4" $R9
  ${EndIf}

  SetOverwrite try
  SetOutPath $INSTDIR
  ClearErrors
  File "${FILES}\VERADOC.EXE"
  File "${FILES}\MORVANE.DLL"
  File "${FILES}\TAGSMITH.DLL"
  SetOutPath $PluginFolder
  File "${FILES}\NPKIRRA.DLL"
  !ifdef WITH_X64
  ${If} $Install64 == 1
    SetOutPath "${X64_FOLDER}"
    File "${FILES}\x64\MORVANE.DLL"
  ${EndIf}
  !endif
  ${If} ${Errors}
    StrCpy $Problem "Setup could not write its files into $INSTDIR and $PluginFolder."
    StrCpy $ProblemCode ${EXIT_IN_USE}
    Call Fail
  ${EndIf}

  ; As regsvr32 does it: the DLL's own DllRegisterServer writes its keys.
  ; From here on, a failure undoes whatever part of the keys was written.
  StrCpy $Registered 1
  !insertmacro RegisterServer "$INSTDIR\MORVANE.DLL"
  ${If} ${Errors}
    StrCpy $Problem "The Explorer extension MORVANE.DLL could not register itself."
    StrCpy $ProblemCode ${EXIT_REGISTRATION}
    Call Fail
  ${EndIf}
  DetailPrint "Registered the Explorer extension $INSTDIR\MORVANE.DLL"
  ${If} $Install64 == 1
    StrCpy $Registered64 1
    !insertmacro RegisterServer64 "${X64_DLL}"
    ${If} ${Errors}
      StrCpy $Problem "The 64-bit Explorer extension x64\MORVANE.DLL could not register itself."
      StrCpy $ProblemCode ${EXIT_REGISTRATION}
      Call Fail
    ${EndIf}
    DetailPrint "Registered the 64-bit Explorer extension ${X64_DLL}"
  ${EndIf}

  ; The plug-in's engine setting, when the hosting engine was named; the
  ; value it replaces is kept for the uninstaller to put back.
  ${If} $EnginePath != ""
    ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "EngineSettingWritten"
    ${If} $R0 != 1
      ClearErrors
      ReadRegStr $R1 HKCU "${ENGINE_KEY}" "${ENGINE_VALUE}"
      ${IfNot} ${Errors}
        WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousEnginePath" $R1
      ${EndIf}
    ${EndIf}
    WriteRegStr HKCU "${ENGINE_KEY}" "${ENGINE_VALUE}" $EnginePath
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EngineSettingWritten" 1
    DetailPrint "The plug-in loads its hosting engine from $EnginePath"
  ${EndIf}

  SetOutPath $INSTDIR
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\VERADOC.EXE" "" "$INSTDIR\VERADOC.EXE" 0

  WriteUninstaller "$INSTDIR\UNINSTALL.EXE"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VERADOC.EXE,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" $INSTDIR
  WriteRegStr HKLM "${UNINSTALL_KEY}" "PluginsFolder" $PluginFolder
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\UNINSTALL.EXE"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\UNINSTALL.EXE" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; --- uninstaller -------------------------------------------------------------

Function un.onInit
  SetShellVarContext all
  ; Run from a copy in the temporary folder (as Add/Remove Programs starts
  ; it), the uninstaller has the copy deleted at the next restart; its folder
  ; goes with it, whether the uninstallation completes or not. No restart is
  ; asked for: nothing else waits for it.
  ${If} $EXEDIR != $INSTDIR
    RMDir /REBOOTOK $EXEDIR
    SetRebootFlag false
  ${EndIf}
FunctionEnd

; Says whether the Explorer extension $R0 is still registered in the registry
; view in use, where its class key is kept.
Function un.ReportRegistration
  ClearErrors
  EnumRegKey $R1 HKCR "CLSID\${MORVANE_CLSID}" 0
  ${If} ${Errors}
    DetailPrint "The Explorer extension $R0 is no longer registered."
  ${Else}
    DetailPrint "The Explorer extension $R0 could not unregister itself."
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ReadRegStr $PluginFolder HKLM "${UNINSTALL_KEY}" "PluginsFolder"
  ${If} $PluginFolder == ""
    StrCpy $PluginFolder "$INSTDIR\Plugins"
  ${EndIf}

  ; Nothing is removed while one of the files is in use.
  StrCpy $Problem ""
  ${ForEach} $R3 1 5 + 1
    ${Select} $R3
      ${Case} 1
        StrCpy $R0 "$INSTDIR\VERADOC.EXE"
      ${Case} 2
        StrCpy $R0 "$INSTDIR\MORVANE.DLL"
      ${Case} 3
        StrCpy $R0 "$INSTDIR\TAGSMITH.DLL"
      ${Case} 4
        StrCpy $R0 "$PluginFolder\NPKIRRA.DLL"
      ${Case} 5
        StrCpy $R0 "${X64_DLL}"
    ${EndSelect}
    Call un.CheckFile
    ${If} $Problem != ""
      MessageBox MB_ICONSTOP|MB_OK $Problem /SD IDOK
      SetErrorLevel $ProblemCode
      Quit
    ${EndIf}
  ${Next}

  ; As regsvr32 /u does it: each DLL's own DllUnregisterServer removes its
  ; keys, the 64-bit one's from the 64-bit registry view. Both remove the
  ; shell's hook keys, which the two views share, so the one unregistered
  ; second finds them gone and reports failure after removing its own keys;
  ; each view's class key tells what became of each registration.
  ${If} ${RunningX64}
  ${AndIf} ${FileExists} "${X64_DLL}"
    !insertmacro UnregisterServer64 "${X64_DLL}"
    StrCpy $R0 "${X64_DLL}"
    SetRegView 64
    Call un.ReportRegistration
    SetRegView 32
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\MORVANE.DLL"
    !insertmacro UnregisterServer "$INSTDIR\MORVANE.DLL"
    StrCpy $R0 "$INSTDIR\MORVANE.DLL"
    Call un.ReportRegistration
  ${EndIf}
  Call un.RemoveMadeClassKeys

  Delete "$INSTDIR\VERADOC.EXE"
  Delete "$INSTDIR\MORVANE.DLL"
  Delete "$INSTDIR\TAGSMITH.DLL"
  Delete "$PluginFolder\NPKIRRA.DLL"
  Delete "${X64_DLL}"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\UNINSTALL.EXE"
  ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "MadeX64Folder"
  ${If} $R0 == 1
    RMDir "${X64_FOLDER}"
  ${EndIf}

  ; The engine setting goes back to what it was before the setup wrote it.
  ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "EngineSettingWritten"
  ${If} $R0 == 1
    ClearErrors
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "PreviousEnginePath"
    ${If} ${Errors}
      DeleteRegValue HKCU "${ENGINE_KEY}" "${ENGINE_VALUE}"
      DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${ENGINE_KEY}"
      DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${VENDOR_KEY}"
    ${Else}
      WriteRegStr HKCU "${ENGINE_KEY}" "${ENGINE_VALUE}" $R1
    ${EndIf}
  ${EndIf}
  ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "MadeVendorKey"
  ${If} $R0 == 1
    DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${VENDOR_KEY}"
  ${EndIf}
  ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "MadeVendorKey64"
  ${If} $R0 == 1
    SetRegView 64
    DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${VENDOR_KEY}"
    SetRegView 32
  ${EndIf}

  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "MadeMenuFolder"
  StrCpy $R0 "${MENU_FOLDER}"
  Call un.RemoveMadeFolders
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "MadePluginsFolder"
  StrCpy $R0 $PluginFolder
  Call un.RemoveMadeFolders
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "MadeProgramFolder"
  StrCpy $R0 $INSTDIR
  Call un.RemoveMadeFolders

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
