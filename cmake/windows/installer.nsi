; The Windows installer of the component: the i686 Vellumtrace.dll and, on
; 64-bit Windows, the x86_64 one, each with its dic folder and each
; registered in its own registry view by its own regsvr32; an uninstaller
; with an entry in Add/Remove Programs. Built by
; tools/make_windows_installer.sh, which defines
;   VERSION (1.2.3), VERSION4 (1.2.3.0), OUTFILE, DLL32 and DLL64 (the
;   folders holding each build's Vellumtrace.dll), and DICTIONARIES: an
;   include file with the macros InstallDictionaries and
;   RemoveDictionaries FOLDER, one line per dictionary file.
; Silent use: Vellumtrace-<version>-setup.exe /S [/D=folder]; Uninstall.exe /S.
Unicode true
SetCompressor /SOLID lzma
!include LogicLib.nsh
!include x64.nsh
!include "${DICTIONARIES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumtrace"

Name "Vellumtrace ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
; $PROGRAMFILES64 is the 64-bit folder on 64-bit Windows, and the only one
; on 32-bit Windows.
InstallDir "$PROGRAMFILES64\Vellumtrace"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 ProductName "Vellumtrace"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileDescription "Vellumtrace ${VERSION} setup"
VIAddVersionKey /LANG=1033 CompanyName "The Vellumtrace developers"
VIAddVersionKey /LANG=1033 LegalCopyright "The Vellumtrace developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; ---- what both the uninstaller and a failed install undo ---------------------

; Unregisters each copy with the regsvr32 of its own bitness (the DLL
; removes only keys that name its very file), then removes the files this
; installer wrote, by name; folders go only once empty, so a dictionary of
; the user's own in dic\ stays.
!macro RemoveEverything
  ${If} ${RunningX64}
    ${If} ${FileExists} "$INSTDIR\x64\Vellumtrace.dll"
      ${DisableX64FSRedirection}
      ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\x64\Vellumtrace.dll"'
      ${EnableX64FSRedirection}
    ${EndIf}
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\x86\Vellumtrace.dll"
    ; A 32-bit process: $SYSDIR is SysWOW64 on 64-bit Windows.
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\x86\Vellumtrace.dll"'
  ${EndIf}
  !insertmacro RemoveDictionaries x64
  !insertmacro RemoveDictionaries x86
  Delete "$INSTDIR\x64\Vellumtrace.dll"
  Delete "$INSTDIR\x86\Vellumtrace.dll"
  RMDir "$INSTDIR\x64\dic"
  RMDir "$INSTDIR\x86\dic"
  RMDir "$INSTDIR\x64"
  RMDir "$INSTDIR\x86"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  SetRegView default
!macroend

!macro Fail MESSAGE
  DetailPrint "${MESSAGE}"
  ; Out of $INSTDIR, which cannot go while it is the current folder.
  SetOutPath "$TEMP"
  !insertmacro RemoveEverything
  MessageBox MB_ICONSTOP|MB_OK "${MESSAGE}" /SD IDOK
  SetErrorLevel 2
  Quit
!macroend

; ---- install -------------------------------------------------------------------

Section "Vellumtrace"
  SetOutPath "$INSTDIR\x86"
  File "${DLL32}/Vellumtrace.dll"
  SetOutPath "$INSTDIR\x86\dic"
  !insertmacro InstallDictionaries
  ${If} ${RunningX64}
    SetOutPath "$INSTDIR\x64"
    File "${DLL64}/Vellumtrace.dll"
    SetOutPath "$INSTDIR\x64\dic"
    !insertmacro InstallDictionaries
  ${EndIf}
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The same CLSID, ProgIDs and type library in both views, so one script
  ; works from a 32-bit and a 64-bit host alike.
  ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\x86\Vellumtrace.dll"' $0
  ${If} $0 != 0
    !insertmacro Fail "Registering the 32-bit Vellumtrace.dll failed (regsvr32 exit code $0)."
  ${EndIf}
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\x64\Vellumtrace.dll"' $0
    ${EnableX64FSRedirection}
    ${If} $0 != 0
      !insertmacro Fail "Registering the 64-bit Vellumtrace.dll failed (regsvr32 exit code $0)."
    ${EndIf}
    ; The entry belongs to the 64-bit view, where 64-bit programs are listed.
    SetRegView 64
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "Vellumtrace ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "The Vellumtrace developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
  SetRegView default
SectionEnd

Section "Uninstall"
  !insertmacro RemoveEverything
SectionEnd
