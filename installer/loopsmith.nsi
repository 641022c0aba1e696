; Loopsmith installer: the program, its three libraries and the help pages,
; a Start menu shortcut and an uninstaller registered with Windows.
; Built by tools/package.sh, which passes VERSION, BIN (the build's bin folder),
; ICON and OUTFILE.
Unicode true
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Loopsmith"

Name "Loopsmith ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Loopsmith"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "Loopsmith ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Loopsmith"
VIAddVersionKey /LANG=1033 "CompanyName" "Quelmont"
VIAddVersionKey /LANG=1033 "FileDescription" "Loopsmith ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Quelmont"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TEXT "This will install Loopsmith ${VERSION}, the servo loop tuning program, with its simulated controller bench and its user guide.$\r$\n$\r$\nYour settings and test history from an earlier version are kept."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Loopsmith.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Loopsmith"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\help\index.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the user guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Loopsmith will be removed from the following folder. Your settings and test history are kept. Click Uninstall to start."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Loopsmith"
  SetOutPath "$INSTDIR"
  File "${BIN}/Loopsmith.exe"
  File "${BIN}/zqapi32.dll"
  File "${BIN}/zqdlg32.dll"
  File "${BIN}/plotwin.dll"
  SetOutPath "$INSTDIR\help"
  File /r "${BIN}/help/*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Loopsmith.lnk" "$INSTDIR\Loopsmith.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Loopsmith"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quelmont"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Loopsmith.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes only what the installer put there: the user's settings in the
; registry and the test history under the local application data stay.
Section "Uninstall"
  Delete "$INSTDIR\Loopsmith.exe"
  Delete "$INSTDIR\zqapi32.dll"
  Delete "$INSTDIR\zqdlg32.dll"
  Delete "$INSTDIR\plotwin.dll"
  RMDir /r "$INSTDIR\help"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Loopsmith.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
