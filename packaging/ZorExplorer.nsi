; The Windows installer of Zorvat File Manager: a per-user install that needs no administrator rights, with a
; Start-menu shortcut and an entry in the user's list of installed programs. The uninstaller removes every
; file, folder and key the installer made, and nothing else.
;
; packaging/make-dist.sh runs makensis with EXE (the program to ship), ICON (its .ico), WIZARD (the picture of
; the first and last pages) and OUTFILE defined.
; The version is read from the program's own version resource, so the two cannot differ.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!getdllversion "${EXE}" ZorExe_
!define VERSION "${ZorExe_1}.${ZorExe_2}"
!define NAME "Zorvat File Manager"
!define PUBLISHER "Zorvat"
!define PROGRAM "ZorExplorer.exe"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_LIST "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_LIST}\${NAME}"
!define SHORTCUT "$SMPROGRAMS\${NAME}.lnk"
; Every running copy of the program holds this mutex (app/InstanceMutex.h).
!define RUNNING_MUTEX "ZorExplorer1"

Name "${NAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${NAME} ${VERSION}"

VIProductVersion "${ZorExe_1}.${ZorExe_2}.${ZorExe_3}.${ZorExe_4}"
VIAddVersionKey /LANG=1033 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${NAME} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright ${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${NAME} ${VERSION}, a tabbed file manager, for you alone. \
  It needs no administrator rights and changes nothing for the other users of this computer.$\r$\n$\r$\n\
  Click Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${NAME}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The topmost folder this install makes on the way to $INSTDIR (empty when $INSTDIR was there before).
Var MadeFolder

; A running copy would keep its file from being replaced or removed: the user closes it first. A silent run
; stops with an error instead of asking.
!macro RefuseWhileRunning
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${NAME} is running. Close all its windows, then click Retry." \
      /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
!macroend

; Adds the size of a file, in bytes, to $R0.
!macro AddFileSize path
  FileOpen $R1 "${path}" r
  FileSeek $R1 0 END $R2
  FileClose $R1
  IntOp $R0 $R0 + $R2
!macroend

Function .onInit
  SetShellVarContext current
  !insertmacro RefuseWhileRunning
FunctionEnd

Function un.onInit
  SetShellVarContext current
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "Install"
  ; A second install into the same folder keeps what the first one made.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $MadeFolder HKCU "${UNINSTALL_KEY}" "MadeFolder"
  ${If} $0 != $INSTDIR
    StrCpy $MadeFolder ""
    StrCpy $0 $INSTDIR
    ${DoUntil} $0 == ""
      ${IfThen} ${FileExists} "$0\*.*" ${|} ${Break} ${|}
      StrCpy $MadeFolder $0
      ${GetParent} $0 $0
    ${Loop}
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=${PROGRAM}" "${EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL "" "${NAME}"

  ; The list of installed programs keeps its own key when it has to make it; so does the uninstaller.
  ClearErrors
  EnumRegKey $0 HKCU "${UNINSTALL_LIST}" 0
  ${If} ${Errors}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "MadeList" 1
  ${EndIf}
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "MadeFolder" "$MadeFolder"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  StrCpy $R0 0
  !insertmacro AddFileSize "$INSTDIR\${PROGRAM}"
  !insertmacro AddFileSize "$INSTDIR\${UNINSTALLER}"
  IntOp $R0 $R0 + 1023
  IntOp $R0 $R0 / 1024
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $R0
SectionEnd

Section "Uninstall"
  ReadRegStr $MadeFolder HKCU "${UNINSTALL_KEY}" "MadeFolder"
  ReadRegDWORD $1 HKCU "${UNINSTALL_KEY}" "MadeList"

  Delete "${SHORTCUT}"
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: whatever the user put there stays.
  RMDir "$INSTDIR"
  ${If} $MadeFolder != ""
    StrCpy $0 $INSTDIR
    ${DoUntil} $0 == $MadeFolder
      ${GetParent} $0 $0
      ${IfThen} $0 == "" ${|} ${Break} ${|}
      RMDir $0
    ${Loop}
  ${EndIf}

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${If} $1 == 1
    DeleteRegKey /IfEmpty HKCU "${UNINSTALL_LIST}"
  ${EndIf}
SectionEnd
