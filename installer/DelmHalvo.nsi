; The setup program of Delm Halvo: the camera program, the camera button utility, the JPEG
; compressor and the effect filter, into the 64-bit program folder.
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
; its Start-menu entry starts it in a folder of the user's own.
!define USER_FOLDER "$LOCALAPPDATA\Delm Halvo"
!define SHORTCUT "$SMPROGRAMS\Delm Halvo.lnk"

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
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext current
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

  CreateDirectory "${USER_FOLDER}"
  SetOutPath "${USER_FOLDER}"   ; the working folder of the entry below
  CreateShortCut "${SHORTCUT}" "$INSTDIR\tesk60.exe" "" "$INSTDIR\tesk60.exe" 0
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\DelmHalvoUVC.exe"'

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

  Exec '"$INSTDIR\DelmHalvoUVC.exe"'
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
  Delete "${SHORTCUT}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Removed only when empty: the user's "halvo.dat" stays, and with it the folder.
  RMDir "${USER_FOLDER}"
SectionEnd
