; The Velkor setup: one program for 32-bit and 64-bit Windows. It installs the
; build of the system's own architecture into the program folder that build
; works out for itself (the program-files folder of its own bitness, then
; "Velkor"), upgrades an installed version in place, and uninstalls what it
; installed while keeping the user's data unless the user asks otherwise.
;
; Switches: /S and /verysilent install without any window; /SERVICEURL=URL sets
; the machine's update service address; /DESKTOPSHORTCUT adds the desktop
; shortcut in a silent install. /D= is ignored: the folder is fixed.
;
; Built by the CMake target velkor_setup, which defines:
;   VERSION       the product version, a.b.c.d
;   OUTFILE       the setup to write
;   X64_STAGE     the x64 files staged     X86_STAGE  the x86 files staged
;   FILES         the generated file list (VelkorInstallFiles, VelkorRemoveFiles)
;   TEXT_FILE     velkor.ini as the program writes it
;   SERVICE_URL   the update service address written when none is given or set
;   LICENCE       the licence text

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include "${FILES}"

!define PRODUCT "Velkor"
!define PUBLISHER "VELKOR Brenn"
!define PRODUCT_KEY "Software\VELKOR Brenn"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkor"
; The running program holds this mutex for its whole life.
!define PROGRAM_MUTEX "Velkor_MUTEX_C4BD6DAB-A77B-40a2-A144-F605208A9ED0"
; How long an upgrade waits for the running program to end, in quarter seconds.
!define PROGRAM_END_WAIT 240
; Exit codes of a silent run beside NSIS's own (0 done, 1 cancelled, 2 aborted).
!define EXIT_BAD_OPTION 3
!define EXIT_STILL_RUNNING 4

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

Var ServiceUrl
Var DesktopShortcut

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FixFolderShow
!define MUI_DIRECTORYPAGE_TEXT_TOP "${PRODUCT} is installed in the program folder of this computer."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\velkor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Velkor"
; The second box of the finish page makes the desktop shortcut.
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Create a desktop shortcut"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION CreateDesktopShortcut
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_PAGE_HEADER_TEXT "Your data"
!define MUI_PAGE_HEADER_SUBTEXT "Choose whether your settings, downloads and driver backups go too."
!define MUI_COMPONENTSPAGE_TEXT_TOP "The program, its shortcuts and its registry entries are removed. Your settings, downloaded drivers and driver backups in $APPDATA\${PRODUCT} stay unless you tick the box below; a download or backup folder you chose elsewhere is never deleted."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Both the setup and the uninstaller use the system's own registry view and
; program folder: the 64-bit ones on 64-bit Windows.
!macro VelkorUseSystemView
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    SetRegView 32
    StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${EndIf}
!macroend

; Waits until no Velkor program runs and its files can be replaced: the
; self-update starts the setup and only then ends the program. The program's
; mutex exists as long as it runs; a program file still mapped by a process
; that is ending cannot be opened for writing. Sets $0 to "ok" or "running".
!macro VelkorWaitForProgramEnd un
Function ${un}WaitForProgramEnd
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  ${Do}
    StrCpy $0 "ok"
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${PROGRAM_MUTEX}") p.r1'
    ${If} $1 != 0
      System::Call 'kernel32::CloseHandle(p r1)'
      StrCpy $0 "running"
    ${Else}
      !insertmacro VelkorForEachProgramFile ${un}CheckWritable
    ${EndIf}
    ${If} $0 == "ok"
    ${OrIf} $3 >= ${PROGRAM_END_WAIT}
      ${Break}
    ${EndIf}
    Sleep 250
    IntOp $3 $3 + 1
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Sets $0 to "running" when the file exists and cannot be opened for writing.
Function ${un}CheckWritable
  Exch $2
  ${If} ${FileExists} "$INSTDIR\$2"
    ClearErrors
    FileOpen $1 "$INSTDIR\$2" a
    ${If} ${Errors}
      StrCpy $0 "running"
    ${Else}
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $2
FunctionEnd
!macroend

!macro VelkorForEachProgramFile function
  Push "velkor.exe"
  Call ${function}
  Push "velkorctl.exe"
  Call ${function}
  Push "Network.dll"
  Call ${function}
  Push "update.dll"
  Call ${function}
  Push "unrar.dll"
  Call ${function}
!macroend

!insertmacro VelkorWaitForProgramEnd ""
!insertmacro VelkorWaitForProgramEnd "un."

; Waits for the program; in the wizard the user may close it and retry.
!macro VelkorEnsureProgramEnded un
  ${Do}
    Call ${un}WaitForProgramEnd
    ${If} $0 == "ok"
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_STILL_RUNNING}
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running. Please end it (Exit in its tray menu), then click Retry." IDRETRY +2
    Quit
  ${Loop}
!macroend

; ReadServiceUrlOption: the value of /SERVICEURL= in the parameters on the
; stack, quoted or up to the next blank, or "" without the switch. (GetOptions
; ends a value at its next "/", which every address holds.)
Function ReadServiceUrlOption
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $1 0
  StrCpy $3 ""
  ${Do}
    StrCpy $2 $0 12 $1
    ${If} $2 == ""
      ${Break}
    ${EndIf}
    ${If} $2 == "/SERVICEURL="
      ${If} $1 == 0
        StrCpy $3 "found"
      ${Else}
        IntOp $2 $1 - 1
        StrCpy $2 $0 1 $2
        ${If} $2 == " "
          StrCpy $3 "found"
        ${EndIf}
      ${EndIf}
      ${If} $3 == "found"
        ${Break}
      ${EndIf}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  ${If} $3 == "found"
    IntOp $1 $1 + 12
    StrCpy $0 $0 "" $1
    StrCpy $2 $0 1
    ${If} $2 == '"'
      StrCpy $0 $0 "" 1
      StrCpy $2 '"'
    ${Else}
      StrCpy $2 " "
    ${EndIf}
    StrCpy $1 0
    ${Do}
      StrCpy $3 $0 1 $1
      ${If} $3 == ""
      ${OrIf} $3 == $2
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
    ${Loop}
    StrCpy $0 $0 $1
  ${Else}
    StrCpy $0 ""
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/verysilent" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}

  Push $R0
  Call ReadServiceUrlOption
  Pop $ServiceUrl
  ${If} $ServiceUrl != ""
    ; Network.dll checks the address fully; the setup refuses what is plainly
    ; no address of a service rather than write it for every user.
    StrCpy $R2 $ServiceUrl 7
    StrCpy $R3 $ServiceUrl 8
    StrLen $R4 $ServiceUrl
    ${IfNot} $R2 == "http://"
    ${AndIfNot} $R3 == "https://"
    ${OrIf} $R4 > 2048
      ${IfNot} ${Silent}
        MessageBox MB_OK|MB_ICONSTOP "The update service address must begin with http:// or https://."
      ${EndIf}
      SetErrorLevel ${EXIT_BAD_OPTION}
      Quit
    ${EndIf}
  ${EndIf}

  StrCpy $DesktopShortcut 0
  ClearErrors
  ${GetOptions} $R0 "/DESKTOPSHORTCUT" $R1
  ${IfNot} ${Errors}
    StrCpy $DesktopShortcut 1
  ${EndIf}

  !insertmacro VelkorUseSystemView
FunctionEnd

; The folder is shown but cannot be changed: the program finds its files only
; in the program folder.
Function FixFolderShow
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1019
  EnableWindow $1 0
  GetDlgItem $1 $0 1001
  EnableWindow $1 0
FunctionEnd

Function CreateDesktopShortcut
  SetShellVarContext all
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\velkor.exe"
FunctionEnd

Section "-Program"
  !insertmacro VelkorEnsureProgramEnded ""

  ${If} ${RunningX64}
    !insertmacro VelkorInstallFiles "${X64_STAGE}"
  ${Else}
    !insertmacro VelkorInstallFiles "${X86_STAGE}"
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "/oname=velkor.ini" "${TEXT_FILE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The machine's update service address, where Network.dll reads it. An
  ; upgrade without the switch keeps the address an administrator set.
  ${If} $ServiceUrl != ""
    WriteRegStr HKLM "${PRODUCT_KEY}" "ServiceUrl" "$ServiceUrl"
  ${Else}
    ClearErrors
    ReadRegStr $0 HKLM "${PRODUCT_KEY}" "ServiceUrl"
    ${If} ${Errors}
      WriteRegStr HKLM "${PRODUCT_KEY}" "ServiceUrl" "${SERVICE_URL}"
    ${EndIf}
  ${EndIf}

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\velkor.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk" "$INSTDIR\uninstall.exe"
  ${If} $DesktopShortcut == 1
  ${OrIf} ${FileExists} "$DESKTOP\${PRODUCT}.lnk"
    Call CreateDesktopShortcut
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velkor.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Function un.onInit
  !insertmacro VelkorUseSystemView
FunctionEnd

Section "-un.Program"
  !insertmacro VelkorEnsureProgramEnded "un."

  !insertmacro VelkorRemoveFiles
  Delete "$INSTDIR\velkor.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  DeleteRegValue HKLM "${PRODUCT_KEY}" "ServiceUrl"
  DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Unticked by default, so /S keeps the data. Only the default data folder goes:
; a download or backup folder the user chose may hold anything.
Section /o "un.Also delete my settings, downloads and driver backups"
  SetShellVarContext current
  RMDir /r "$APPDATA\${PRODUCT}"
  DeleteRegKey HKCU "${PRODUCT_KEY}"
SectionEnd
