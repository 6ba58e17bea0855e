; The Windows installer: makensis -DVERSION=1.03 -DSTAGE=DIR -DICON=FILE.ico -DOUTFILE=FILE.exe pelorin.nsi
; Installs into Program Files, adds a Start-menu entry and the .kvd file type, and
; registers an uninstaller that removes all of it. /S installs or uninstalls silently.

; A 64-bit installer for a 64-bit program; it also runs where no 32-bit Windows layer is installed.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include x64.nsh

!define PROGID "Pelorin.Definition"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelorin"

Name "Pelorin ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Pelorin"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Pelorin"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Pelorin.lnk" "$INSTDIR\pelorin.exe"

  WriteRegStr HKLM "Software\Classes\.kvd" "" "${PROGID}"
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Controller definition"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\pelorin.exe",0'
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\pelorin.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pelorin"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\pelorin.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Pelorin developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; Explorer shows the new icon and verb without a restart.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Pelorin.lnk"
  RMDir /r "$INSTDIR"

  ; .kvd is left alone if another program has taken it over since.
  ReadRegStr $0 HKLM "Software\Classes\.kvd" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.kvd"
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
