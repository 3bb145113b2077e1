; The varnel setup program, compiled by scripts/package with makensis.
; scripts/package defines:
;   VERSION    the version from the file VERSION (MAJOR.MINOR.PATCH)
;   OUTFILE    the setup program to write
;   STAGE      the folder it gathered the files in, one subfolder per place
;   FILES_NSH  the include it generates from packaging/files.txt: the macros
;              VarnelInstallFiles (what every Windows gets),
;              VarnelInstallFiles64 (the 64-bit half), VarnelRemoveFiles
;              and VarnelRemoveSettings, one line per file
;   EXIT_CODES_NSH  vlload's exit codes as VLLOAD_<name>, generated from
;              engine/loader_contract.h
;   SCHEMES_NSH  the built-in schemes, generated from
;              tools/schemes/builtin_schemes.cpp: VarnelSchemeNames,
;              VarnelSchemeAt and VARNEL_SCHEME_COUNT
;
; Where things go: the tools and the user guide into the install folder
; (Program Files\varnel by default), the engine into the Windows directory
; and its skin and settings into the folder varnels there, since that is
; where the engine and the loader look for them.

; An ANSI installer: NSIS's Unicode installers do not run on Windows 95, 98
; and ME.
Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "varnel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\varnel"
!define PRODUCT_KEY "Software\varnel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "varnel"

Name "varnel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\varnel"
InstallDirRegKey HKLM "${PRODUCT_KEY}" "InstallFolder"
BrandingText "varnel ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "varnel"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "varnel ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "varnel"
VIAddVersionKey /LANG=1033 "LegalCopyright" "varnel"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES_NSH}"
!include "${EXIT_CODES_NSH}"
!include "${SCHEMES_NSH}"

Var LoaderWasRunning
Var FilesInUse
; The scheme to start with: its name, 1 when setup writes it into vl.ini,
; 1 when vl.ini was there before setup ran (an upgrade, or settings kept
; from an earlier install); the scheme page's controls.
Var SchemeName
Var SchemeApply
Var HadSettings
Var SchemeList
Var SchemeNote
Var SchemeKeep
Var SchemeChange

!define WELCOME_TEXT "varnel gives the windows of every program a new look: gradient or striped captions, flat buttons, tiled backgrounds, windows that roll up to their caption, rounded menus.$\r$\n$\r$\nThe tools and the user guide go into a folder of your choice; the engine, varnel.dll, goes into the Windows directory and its skin and settings into the folder varnels there, where the engine reads them. Settings you already have are kept.$\r$\n$\r$\nIf varnel is running, setup stops it first. Setup never starts varnel itself: it starts as you, at logon or from the Start menu.$\r$\n$\r$\nClick Next to continue."

; The Modern UI's own welcome and finish pages call the System plug-in,
; and Debian's build of it has a TLS directory, which Windows 95 refuses to
; load (KB118816): the welcome page is a plain one of nsDialogs, and the
; questions at the end are message boxes.
!define MUI_ABORTWARNING
Page custom welcomePage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
Page custom schemePage schemePageLeave
!insertmacro MUI_PAGE_INSTFILES
Page custom finishPage

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; --- Placing and removing one file -------------------------------------------

; A file a running program holds (the engine stays mapped into programs that
; had it until they end) cannot be replaced now: the new one is put beside it
; and takes its place when Windows restarts.
!macro VarnelPlace FOLDER NAME SOURCE
  SetOutPath "${FOLDER}"
  ClearErrors
  Delete "${FOLDER}\${NAME}"
  ${If} ${FileExists} "${FOLDER}\${NAME}"
    File "/oname=${NAME}.new" "${SOURCE}"
    Rename /REBOOTOK "${FOLDER}\${NAME}.new" "${FOLDER}\${NAME}"
    StrCpy $FilesInUse "$FilesInUse$\r$\n    ${FOLDER}\${NAME}"
    DetailPrint "In use, replaced when Windows restarts: ${FOLDER}\${NAME}"
  ${Else}
    File "/oname=${NAME}" "${SOURCE}"
  ${EndIf}
!macroend

; The user's own settings are never overwritten: only a missing file is
; written, so an upgrade keeps what the user changed.
!macro VarnelSettings FOLDER NAME SOURCE
  SetOutPath "${FOLDER}"
  ${IfNot} ${FileExists} "${FOLDER}\${NAME}"
    File "/oname=${NAME}" "${SOURCE}"
  ${Else}
    DetailPrint "Kept your settings: ${FOLDER}\${NAME}"
  ${EndIf}
!macroend

!macro VarnelUnplace FOLDER NAME
  Delete /REBOOTOK "${FOLDER}\${NAME}"
  ${If} ${FileExists} "${FOLDER}\${NAME}"
    StrCpy $FilesInUse "$FilesInUse$\r$\n    ${FOLDER}\${NAME}"
  ${EndIf}
!macroend

!macro VarnelUnsettings FOLDER NAME
  Delete "${FOLDER}\${NAME}"
!macroend

; What vlconf and the user add beside vl.ini: the exclusion list and the
; switches (docs/settings.md). Settings too, removed only with them.
!macro VarnelRemoveUserFiles
  Delete "$WINDIR\varnels\vlexcl.ini"
  Delete "$WINDIR\varnels\vldis.ini"
  Delete "$WINDIR\varnels\vlplug.ini"
  Delete "$WINDIR\varnels\vlprog.ini"
!macroend

; --- The loader --------------------------------------------------------------

; Stops a running loader (any copy: they share one stop event) with the
; vlload of this setup, so that its files can be replaced, and remembers
; whether one ran. Asked first: "/stop" with nothing to stop shows a message
; box when there is no console, which would hold up a silent install.
!macro VarnelStopLoader VLLOAD
  StrCpy $LoaderWasRunning 0
  ExecWait '"${VLLOAD}" /status' $0
  ${If} $0 == ${VLLOAD_exitOk}
  ${OrIf} $0 == ${VLLOAD_exitPartlyRunning}
    DetailPrint "Stopping the running varnel loader"
    ExecWait '"${VLLOAD}" /stop' $0
    ${If} $0 == ${VLLOAD_exitOk}
      StrCpy $LoaderWasRunning 1
    ${ElseIf} $0 != ${VLLOAD_exitNotRunning}
      DetailPrint "The running varnel loader did not stop (exit code $0)"
    ${EndIf}
  ${EndIf}
!macroend

; --- Install -----------------------------------------------------------------

Function welcomePage
  !insertmacro MUI_HEADER_TEXT "Welcome to varnel ${VERSION}" "A new look for the windows of every program"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 100% "${WELCOME_TEXT}"
  Pop $0
  nsDialogs::Show
FunctionEnd

; --- The scheme to start with ---------------------------------------------------

!define DEFAULT_SCHEME "Showcase"

; The description of the scheme selected in the list, beside it.
Function schemeSelected
  Pop $0
  ${NSD_LB_GetSelectionIndex} $SchemeList $0
  !insertmacro VarnelSchemeAt
  ${NSD_SetText} $SchemeNote "$1: $2"
FunctionEnd

; Keep or change, on an upgrade: the list counts only for "change".
Function schemeActionClicked
  Pop $0
  ${NSD_GetState} $SchemeChange $0
  ${If} $0 == ${BST_CHECKED}
    EnableWindow $SchemeList 1
  ${Else}
    EnableWindow $SchemeList 0
  ${EndIf}
FunctionEnd

; A fresh install: which built-in scheme vl.ini starts with. Settings that
; are already there are the user's: kept unless the user chooses "change".
Function schemePage
  !insertmacro MUI_HEADER_TEXT "The look to start with" "A scheme for the windows of every program"
  nsDialogs::Create 1018
  Pop $0
  ${If} $HadSettings == 1
    ${NSD_CreateLabel} 0 0 100% 24u "You have varnel settings already ($WINDIR\varnels\vl.ini). Setup keeps them as they are, unless you choose to change them to a scheme below."
    Pop $0
    ${NSD_CreateFirstRadioButton} 0 26u 100% 12u "&Keep my settings"
    Pop $SchemeKeep
    ${NSD_CreateAdditionalRadioButton} 0 40u 100% 12u "&Change them to this scheme (your settings are replaced):"
    Pop $SchemeChange
    ${If} $SchemeApply == 1
      ${NSD_Check} $SchemeChange
    ${Else}
      ${NSD_Check} $SchemeKeep
    ${EndIf}
    ${NSD_OnClick} $SchemeKeep schemeActionClicked
    ${NSD_OnClick} $SchemeChange schemeActionClicked
    StrCpy $3 56u
  ${Else}
    ${NSD_CreateLabel} 0 0 100% 24u "Choose the look varnel starts with. ${DEFAULT_SCHEME} shows most of what varnel does; Settings (or vlconf scheme apply) changes the scheme any time later."
    Pop $0
    StrCpy $3 28u
  ${EndIf}
  ${NSD_CreateListBox} 0 $3 35% 84u ""
  Pop $SchemeList
  !insertmacro VarnelSchemeNames $SchemeList
  ${NSD_LB_SelectString} $SchemeList $SchemeName
  ${NSD_OnChange} $SchemeList schemeSelected
  ${NSD_CreateLabel} 38% $3 62% 84u ""
  Pop $SchemeNote
  Push $SchemeList
  Call schemeSelected
  ${If} $HadSettings == 1
    Push $SchemeChange
    Call schemeActionClicked
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function schemePageLeave
  ${NSD_LB_GetSelectionIndex} $SchemeList $0
  !insertmacro VarnelSchemeAt
  ${If} $1 != ""
    StrCpy $SchemeName $1
  ${EndIf}
  ${If} $HadSettings == 1
    ${NSD_GetState} $SchemeChange $0
    ${If} $0 == ${BST_CHECKED}
      StrCpy $SchemeApply 1
    ${Else}
      StrCpy $SchemeApply 0
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "varnel (required)" SecCore
  SectionIn RO
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "/oname=$PLUGINSDIR\vlload.exe" "${STAGE}\tools\vlload.exe"
  !insertmacro VarnelStopLoader "$PLUGINSDIR\vlload.exe"

  CreateDirectory "$WINDIR\varnels"
  !insertmacro VarnelInstallFiles
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallFolder" "$INSTDIR"
  WriteRegStr HKLM "${PRODUCT_KEY}" "Version" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "varnel ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "varnel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; Shortcuts run the programs from the install folder; Settings opens the
  ; settings window.
  CreateDirectory "$SMPROGRAMS\varnel"
  CreateShortcut "$SMPROGRAMS\varnel\Start varnel.lnk" "$INSTDIR\vlload.exe" "" "" "" SW_SHOWNORMAL "" "Hook the engine into every program"
  CreateShortcut "$SMPROGRAMS\varnel\Stop varnel.lnk" "$INSTDIR\vlload.exe" "/stop" "" "" SW_SHOWNORMAL "" "Take the engine out again"
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\varnel\Settings.lnk" "$INSTDIR\vlsettings.exe" "" "" "" SW_SHOWNORMAL "" "Change the settings, with a preview"
  CreateShortcut "$SMPROGRAMS\varnel\User guide.lnk" "$INSTDIR\README.html" "" "" "" SW_SHOWNORMAL "" "The varnel user guide"
  CreateShortcut "$SMPROGRAMS\varnel\Uninstall varnel.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

; The chosen scheme written as "vlconf scheme apply" writes it, by the
; vlconf just installed, from the engine folder (vlconf writes the vl.ini of
; its current folder). A vl.ini that was there before is touched only when
; the user chose to change it; a silent install keeps the default.
Section "-scheme"
  ${If} $SchemeApply == 1
    SetOutPath "$WINDIR\varnels"
    DetailPrint "Applying the scheme $SchemeName"
    ExecWait '"$INSTDIR\vlconf.exe" scheme apply "$SchemeName"' $0
    ${If} $0 != 0
      DetailPrint "vlconf could not apply the scheme $SchemeName (exit code $0); vl.ini stays as it was"
    ${EndIf}
    SetOutPath "$INSTDIR"
  ${ElseIf} $HadSettings == 1
    DetailPrint "Kept your settings; no scheme applied"
  ${EndIf}
SectionEnd

; The 64-bit half serves 64-bit programs, which only 64-bit Windows has:
; .onInit asks vlload (IsWow64Process, looked up at run time) and leaves it
; out on 32-bit Windows. Where it is installed it is not optional: vlload
; starts vlload64 there.
Section "64-bit programs" SecWin64
  SectionIn RO
  !insertmacro VarnelInstallFiles64
SectionEnd

Section "Start at logon" SecLogon
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\vlload.exe"'
SectionEnd

Section "-finish"
  ; Not chosen this time: a start at logon from an earlier install goes.
  ${IfNot} ${SectionIsSelected} ${SecLogon}
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

; How the loader starts. Setup runs with administrator rights, and a loader
; it started would run so too, hooking every program of the desktop from an
; elevated process: it is left to the Run key (at logon) and to the Start
; menu, which start it as the user.
Function finishPage
  !insertmacro MUI_HEADER_TEXT "varnel ${VERSION} is installed" "How varnel starts"
  StrCpy $1 "Setup does not start varnel: it runs with administrator rights, and varnel runs as you."
  ${If} ${SectionIsSelected} ${SecLogon}
    StrCpy $1 "$1$\r$\n$\r$\nvarnel starts every time you log on."
  ${EndIf}
  ${If} $LoaderWasRunning == 1
    StrCpy $1 "$1$\r$\n$\r$\nvarnel was running and was stopped for the update."
  ${EndIf}
  StrCpy $1 "$1$\r$\n$\r$\nTo start it now: Start menu, varnel, Start varnel. Stop varnel takes it out again; Settings changes how windows look."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 100% "$1"
  Pop $0
  nsDialogs::Show
FunctionEnd

Function .onInstSuccess
  ${If} $FilesInUse != ""
    MessageBox MB_YESNO|MB_ICONINFORMATION "Programs that ran while varnel was running still hold these files:$FilesInUse$\r$\n$\r$\nThe new files take their place when Windows restarts; until then those programs, and programs started now, keep the old engine.$\r$\n$\r$\nRestart Windows now?" /SD IDNO IDNO notNow
      Reboot
    notNow:
  ${EndIf}
  ; The loader is not started here (finishPage says why and how it starts).
FunctionEnd

Function .onInit
  SetShellVarContext all
  StrCpy $FilesInUse ""
  ; A fresh install starts with the default scheme; settings already there
  ; are kept unless the scheme page is told otherwise (never in silent mode).
  StrCpy $SchemeName "${DEFAULT_SCHEME}"
  ; /SCHEME=NAME picks another built-in, as the page's list does (for
  ; silent installs); a name that is none of them is refused.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SCHEME=" $R1
  ${IfNot} ${Errors}
    StrCpy $0 0
    StrCpy $R2 ""
    ${Do}
      !insertmacro VarnelSchemeAt
      ${If} $1 == ""
        ${ExitDo}
      ${EndIf}
      ; == compares ignoring case, as vlconf does with scheme names.
      ${If} $1 == $R1
        StrCpy $R2 $1
      ${EndIf}
      IntOp $0 $0 + 1
    ${Loop}
    ${If} $R2 == ""
      MessageBox MB_OK|MB_ICONSTOP "There is no built-in scheme called $\"$R1$\"." /SD IDOK
      Abort
    ${EndIf}
    StrCpy $SchemeName $R2
  ${EndIf}
  ${If} ${FileExists} "$WINDIR\varnels\vl.ini"
    StrCpy $HadSettings 1
    StrCpy $SchemeApply 0
  ${Else}
    StrCpy $HadSettings 0
    StrCpy $SchemeApply 1
  ${EndIf}
  ; The 64-bit half only where Windows is 64-bit (SecWin64).
  InitPluginsDir
  File "/oname=$PLUGINSDIR\vlload.exe" "${STAGE}\tools\vlload.exe"
  ExecWait '"$PLUGINSDIR\vlload.exe" /windowsbits' $0
  ${If} $0 != ${VLLOAD_exitWindows64}
    !insertmacro UnselectSection ${SecWin64}
    SectionSetText ${SecWin64} "64-bit programs (not on this 32-bit Windows)"
  ${EndIf}
  ; An upgrade starts from what the user chose last time: no Run value
  ; beside an earlier install means the start at logon was turned off.
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "InstallFolder"
  ReadRegStr $1 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 != ""
  ${AndIf} $1 == ""
    !insertmacro UnselectSection ${SecLogon}
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecCore} "The engine, the loader, the tools, the default skin, the settings of the scheme you choose next (unless you keep the settings you have) and the user guide."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecWin64} "The engine and loader for 64-bit programs (varnel64.dll, vlload64.exe, vlplug64.dll). Installed only on 64-bit Windows, where it is needed: 32-bit Windows runs no 64-bit programs."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecLogon} "Start the loader, and with it the engine, every time you log on."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; --- Uninstall ---------------------------------------------------------------

Function un.onInit
  SetShellVarContext all
  StrCpy $FilesInUse ""
FunctionEnd

Section "Uninstall"
  ${If} ${FileExists} "$INSTDIR\vlload.exe"
    !insertmacro VarnelStopLoader "$INSTDIR\vlload.exe"
  ${EndIf}
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"

  !insertmacro VarnelRemoveFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\varnel\Start varnel.lnk"
  Delete "$SMPROGRAMS\varnel\Stop varnel.lnk"
  Delete "$SMPROGRAMS\varnel\Settings.lnk"
  Delete "$SMPROGRAMS\varnel\User guide.lnk"
  Delete "$SMPROGRAMS\varnel\Uninstall varnel.lnk"
  RMDir "$SMPROGRAMS\varnel"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${PRODUCT_KEY}"

  ; The settings are the user's: kept unless the user says otherwise, and
  ; always kept in silent mode.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your varnel settings?$\r$\n$\r$\nThey are in $WINDIR\varnels (vl.ini, and the lists and switches vlconf writes). Keep them if you may install varnel again." /SD IDNO IDNO keepSettings
    !insertmacro VarnelRemoveSettings
    !insertmacro VarnelRemoveUserFiles
  keepSettings:
  RMDir "$WINDIR\varnels"

SectionEnd

Function un.onUninstSuccess
  ${If} $FilesInUse != ""
    MessageBox MB_YESNO|MB_ICONINFORMATION "Programs that ran while varnel was running still hold these files:$FilesInUse$\r$\n$\r$\nThey are removed when Windows restarts. Restart Windows now?" /SD IDNO IDNO notNow
      Reboot
    notNow:
  ${EndIf}
FunctionEnd
