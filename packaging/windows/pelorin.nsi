; The Windows installer:
;   makensis -DVERSION=1.03 -DSTAGE=DIR -DFILES=FILE.nsh -DICON=FILE.ico -DOUTFILE=FILE.exe pelorin.nsi
; FILES lists the staged files as Delete lines (build.sh writes it), so that the uninstaller
; removes what was installed and nothing else that shares the folder.
;
; Run by an administrator it offers an install for all users (Program Files, HKLM) or for
; this user alone; run by anyone else it installs for that user: %LOCALAPPDATA%\Programs\Pelorin,
; the user's own Start menu, .kvd under HKCU\Software\Classes, the uninstall entry under HKCU.
; Either way it adds its folder to the PATH (the user's or the machine's) for kvdtool.
; Silent: /S, /S /CurrentUser, /S /AllUsers; /D=FOLDER (last) names another folder.
; Each uninstaller removes what its own install made.

; A 64-bit installer for a 64-bit program; it also runs where no 32-bit Windows layer is installed.
Target amd64-unicode
SetCompressor /SOLID lzma

!define PROGID "Pelorin.Definition"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelorin"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Pelorin"
; An upgrade goes where the earlier version is, in its mode.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh
!include x64.nsh
${Using:StrFunc} UnStrRep

Name "Pelorin ${VERSION}"
OutFile "${OUTFILE}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
  StrCpy $0 $INSTDIR ; /D=, which the mode's default folder would override
  !insertmacro MULTIUSER_INIT
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  ; MultiUser sets $INSTDIR to the folder registered for its mode; this uninstaller removes
  ; the folder it stands in, in the mode of the registration that names that folder, so
  ; that with both installs present each removes only its own.
  StrCpy $2 $INSTDIR
  !insertmacro MULTIUSER_UNINIT
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $2
    Call un.MultiUser.InstallMode.CurrentUser
  ${ElseIf} $1 == $2
    ${If} $MultiUser.Privileges != "Admin"
    ${AndIf} $MultiUser.Privileges != "Power"
      MessageBox MB_OK|MB_ICONSTOP "Pelorin was installed for all users: only an administrator can remove it." /SD IDOK
      Quit
    ${EndIf}
    Call un.MultiUser.InstallMode.AllUsers
  ${EndIf}
  StrCpy $INSTDIR $2
FunctionEnd

; Asks to close the program while a running pelorin.exe or kvdtool.exe holds the folder,
; so that no half-replaced folder is left. Cancel, and a silent run, give up untouched.
!macro IF_IN_USE FILE
  ClearErrors
  ${If} ${FileExists} "${FILE}"
    FileOpen $R2 "${FILE}" a
    ${If} ${Errors}
      StrCpy $R1 "${FILE}"
    ${Else}
      FileClose $R2
    ${EndIf}
  ${EndIf}
!macroend
!macro WAIT_UNTIL_CLOSED UN
Function ${UN}WaitUntilClosed
  retry:
  StrCpy $R1 ""
  !insertmacro IF_IN_USE "$INSTDIR\pelorin.exe"
  !insertmacro IF_IN_USE "$INSTDIR\kvdtool.exe"
  ${If} $R1 != ""
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Pelorin is running from $INSTDIR.$\r$\nClose it, and any kvdtool, then choose Retry." /SD IDCANCEL IDRETRY retry
    DetailPrint "Stopped: $R1 is in use."
    SetErrorLevel 3
    Abort
  ${EndIf}
FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_CLOSED ""
!insertmacro WAIT_UNTIL_CLOSED "un."

; The PATH of this install's mode, in $R9 (its key under SHCTX) and $R8 (its value).
; $R7 is 1 when the value can be changed: NSIS holds no more than 1023 characters, and a
; longer PATH is left as it is rather than cut short.
!macro READ_PATH UN
Function ${UN}ReadPath
  ${If} $MultiUser.InstallMode == "AllUsers"
    StrCpy $R9 "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
  ${Else}
    StrCpy $R9 "Environment"
  ${EndIf}
  StrCpy $R7 1
  ClearErrors
  ReadRegStr $R8 SHCTX $R9 "Path"
  ${If} ${Errors}
    ; Missing, or too long to read: only a missing value may be written afresh.
    StrCpy $0 0
    ${Do}
      EnumRegValue $1 SHCTX $R9 $0
      ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
      ${IfThen} $1 == "Path" ${|} StrCpy $R7 0 ${|}
      IntOp $0 $0 + 1
    ${Loop}
  ${EndIf}
  StrLen $0 "$R8;$INSTDIR"
  ${IfThen} $0 >= ${NSIS_MAX_STRLEN} ${|} StrCpy $R7 0 ${|}
FunctionEnd
!macroend
!insertmacro READ_PATH ""
!insertmacro READ_PATH "un."

Section "Pelorin"
  Call WaitUntilClosed
  ; An earlier version's plugins go, so that none is loaded with this version's Qt.
  ${If} ${FileExists} "$INSTDIR\pelorin.exe"
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
  ${EndIf}
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Pelorin.lnk" "$INSTDIR\pelorin.exe"

  ; SHCTX is HKLM for all users, HKCU for one.
  WriteRegStr SHCTX "Software\Classes\.kvd" "" "${PROGID}"
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "Controller definition"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\pelorin.exe",0'
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\pelorin.exe" "%1"'

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Pelorin"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\pelorin.exe",0'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Pelorin developers"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

  ; kvdtool from a command prompt and from git: the folder on the PATH, once.
  Call ReadPath
  ${StrStr} $0 ";$R8;" ";$INSTDIR;"
  ${If} $0 == ""
    ${If} $R7 == 1
      ${If} $R8 == ""
        WriteRegExpandStr SHCTX $R9 "Path" "$INSTDIR"
      ${Else}
        WriteRegExpandStr SHCTX $R9 "Path" "$R8;$INSTDIR"
      ${EndIf}
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${Else}
      MessageBox MB_OK|MB_ICONINFORMATION "The PATH is too long for the installer to change safely. To run kvdtool from a command prompt, add $INSTDIR to it yourself." /SD IDOK
    ${EndIf}
  ${EndIf}

  ; Explorer shows the new icon and verb without a restart.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  Call un.WaitUntilClosed
  Delete "$SMPROGRAMS\Pelorin.lnk"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ; .kvd is left alone if another program has taken it over since.
  ReadRegStr $0 SHCTX "Software\Classes\.kvd" ""
  ${If} $0 == "${PROGID}"
    DeleteRegKey SHCTX "Software\Classes\.kvd"
  ${EndIf}
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"

  Call un.ReadPath
  ${If} $R7 == 1
    ${UnStrRep} $0 ";$R8;" ";$INSTDIR;" ";"
    ${If} $0 != ";$R8;"
      StrCpy $0 $0 -1 1 ; the two added ends
      ${If} $0 == ""
      ${AndIf} $MultiUser.InstallMode != "AllUsers"
        DeleteRegValue SHCTX $R9 "Path"
      ${Else}
        WriteRegExpandStr SHCTX $R9 "Path" $0
      ${EndIf}
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}

  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
