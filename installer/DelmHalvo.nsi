; The setup program of Delm Halvo: the camera program, the camera button utility, the JPEG
; compressor and the effect filter, into the 64-bit program folder, for every account of the
; machine: the Start-menu entry in the all-users Start menu, the utility started at every
; user's logon from HKLM. Nothing is written to the installing account's HKCU, which is
; rarely the user's (an administrator's password typed for a standard user, or SYSTEM).
;   makensis -DVERSION=1.2.3.4 -DSTAGE=<folder of the four files> -DICON=<.ico>
;            -DOUTFILE=<setup.exe> DelmHalvo.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include MUI2.nsh

!define PRODUCT "Delm Halvo"
!define PUBLISHER "Delm Halvo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Delm Halvo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "DelmHalvoUVC"
; The camera program keeps "halvo.dat" and its intermediate "temp" in its current folder:
; its Start-menu entry starts it in a folder of each user's own, written unexpanded so that
; Windows expands it for whoever starts the program. The button utility makes that folder
; when it starts at the user's logon (and right after setup).
!define USER_FOLDER "%LOCALAPPDATA%\Delm Halvo"
!define SHORTCUT_NAME "Delm Halvo.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Delm Halvo"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends a running button utility (its own quit request) and a running camera program (its
; window closed, as a person closes it), and waits up to ten seconds for both to be gone,
; so that their files can be replaced or removed.
!macro END_RUNNING_PROGRAMS prefix
Function ${prefix}EndRunningPrograms
  ${If} ${FileExists} "$INSTDIR\DelmHalvoUVC.exe"
    ExecWait '"$INSTDIR\DelmHalvoUVC.exe" /quit'
  ${EndIf}
  FindWindow $0 "" "Delm Halvo"
  ${If} $0 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${EndIf}
  StrCpy $1 0
  ${Do}
    FindWindow $0 "#32770" "Property"
    FindWindow $2 "" "Delm Halvo1"
    ${If} $0 = 0
    ${AndIf} $2 = 0
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 100
FunctionEnd
!macroend
!insertmacro END_RUNNING_PROGRAMS ""
!insertmacro END_RUNNING_PROGRAMS "un."

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; What versions before the all-users install wrote for the installing account alone.
!macro REMOVE_PER_ACCOUNT_ENTRIES
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${SHORTCUT_NAME}"
  SetShellVarContext all
!macroend

; Starts the button utility as the signed-in user, not elevated: the user's shell (Explorer)
; opens it. Without a shell in this session (a deployment as SYSTEM) nobody is signed in
; here, and the utility starts at the next logon.
Function StartUtilityAsUser
  FindWindow $0 "Shell_TrayWnd" ""
  ${If} $0 <> 0
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\DelmHalvoUVC.exe"'
  ${EndIf}
FunctionEnd

Section "Delm Halvo"
  SetOutPath "$INSTDIR"
  Call EndRunningPrograms
  File "${STAGE}\tesk60.exe"
  File "${STAGE}\DelmHalvoUVC.exe"
  File "${STAGE}\JAPI2.dll"
  File "${STAGE}\KorvEffect.ax"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ClearErrors
  RegDLL "$INSTDIR\KorvEffect.ax"
  ${If} ${Errors}
    MessageBox MB_ICONEXCLAMATION "The effect filter KorvEffect.ax could not be registered. The camera program registers it again when it starts." /SD IDOK
  ${EndIf}

  !insertmacro REMOVE_PER_ACCOUNT_ENTRIES
  StrCpy $OUTDIR "${USER_FOLDER}"   ; the working folder of the entry below, as it stands
  CreateShortCut "$SMPROGRAMS\${SHORTCUT_NAME}" "$INSTDIR\tesk60.exe" "" "$INSTDIR\tesk60.exe" 0
  SetOutPath "$INSTDIR"
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\DelmHalvoUVC.exe"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\tesk60.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  Call StartUtilityAsUser
SectionEnd

Section "Uninstall"
  Call un.EndRunningPrograms
  UnRegDLL "$INSTDIR\KorvEffect.ax"
  Delete "$INSTDIR\tesk60.exe"
  Delete "$INSTDIR\DelmHalvoUVC.exe"
  Delete "$INSTDIR\JAPI2.dll"
  Delete "$INSTDIR\KorvEffect.ax"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${SHORTCUT_NAME}"
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  !insertmacro REMOVE_PER_ACCOUNT_ENTRIES
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Every user's folder stays with their "halvo.dat"; this account's goes only when empty.
  SetShellVarContext current
  RMDir "$LOCALAPPDATA\Delm Halvo"
  SetShellVarContext all
SectionEnd
