; The Windows installer and uninstaller of VelPanel (built by
; installer/CMakeLists.txt with makensis).
;
; Per user: VelPanel is a notification-area program whose settings, whose
; sign-in entry and whose running process all belong to the signed-in user,
; so the program goes to that user's own program folder as well and nothing
; asks for administrator rights. Another user of the computer installs it
; for themselves.
;
; Defines from scripts/package-release.py: VERSION (1.6.0), VERSION_MAJOR,
; VERSION_MINOR, EXE (the VelPanel.exe to install), ICON, LICENSE, OUTFILE;
; SIGN_SCRIPT (scripts/sign.sh) when the uninstaller is to be signed. The
; setup is the same bytes whenever its inputs are: they come dated
; SOURCE_DATE_EPOCH.
;
; Setup:       /S  silent          /SIGNIN=1|0  start VelPanel when the user signs in
;              /D=<folder>  install folder (last on the line)
;              Without /SIGNIN a first install starts at sign-in and an
;              upgrade keeps the choice of the install it replaces.
; Uninstaller: /S  silent          /REMOVESETTINGS  also remove the user's settings
;              and the diagnostics log
;
; Exit codes of both: 0 done, 1 cancelled by the user, 2 aborted,
; 3 another VelPanel setup or uninstall is running, 4 the running panel did
; not end, 5 the install folder or its files cannot be written or removed,
; 6 this Windows is not supported, 7 a bad command-line option.
; Whenever one of them stops, it has changed nothing that the previous
; install needs, and a panel it ended is started again.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinVer.nsh
!include Sections.nsh
!include WordFunc.nsh
!include TextFunc.nsh

!define PRODUCT "VelPanel"
!define PUBLISHER "Qor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VelPanel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "VelPanel"
!define SETTINGS_KEY "Software\Qor\VelPanel"
!define SHORTCUT "$SMPROGRAMS\VelPanel.lnk"
; The diagnostics log's folder under the user's local application data.
!define LOG_FOLDER "Qor\VelPanel"
; One setup or uninstall at a time in a logon session.
!define SETUP_MUTEX "Qor.VelPanel.Setup"

!define EXIT_ANOTHER_SETUP 3
!define EXIT_PANEL_RUNS 4
!define EXIT_FOLDER 5
!define EXIT_SYSTEM 6
!define EXIT_OPTION 7

!ifdef SIGN_SCRIPT
  ; The uninstaller is signed before it goes into the setup.
  !uninstfinalize 'bash "${SIGN_SCRIPT}" "%1"' = 0
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\VelPanel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER} ${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "Copyright (C) ${PUBLISHER}"

Var Upgrade          ; 1 when an install of this user is being replaced
Var OldFolder        ; the folder of that install
Var MovesFolder      ; 1 when the upgrade goes into another folder than OldFolder
Var PanelWasRunning  ; 1 when this run ended a running panel
Var Message

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start VelPanel now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartPanel
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "VelPanel, its shortcut, its start at sign-in and its uninstall entry will be removed. Your settings and the diagnostics log stay for a later install unless you tick the box."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ------------------------------------------------------------ shared steps

; Stops the run: the reason in the details, in a message box (not when
; silent) and on the standard error when there is one; the exit code.
!macro REFUSE code text
  StrCpy $Message "${text}"
  SetErrorLevel ${code}
  !ifdef __UNINSTALL__
    Call un.Refuse
  !else
    Call Refuse
  !endif
!macroend

!macro SHARED_FUNCTIONS un
  Function ${un}Refuse
    DetailPrint "$Message"
    MessageBox MB_OK|MB_ICONSTOP "$Message" /SD IDOK
    Push $0
    Push $1
    Push $2
    System::Call 'kernel32::GetStdHandle(i -12) p .r0'
    ${If} $0 P<> 0
    ${AndIf} $0 P<> -1
      !ifdef __UNINSTALL__
        StrCpy $1 "${PRODUCT} uninstall: $Message$\r$\n"
      !else
        StrCpy $1 "${PRODUCT} setup: $Message$\r$\n"
      !endif
      StrLen $2 $1
      System::Call 'kernel32::WriteFile(p r0, m r1, i r2, *i .r2, p 0)'
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
    Abort
  FunctionEnd

  ; A second setup or uninstall while one runs stops at once.
  Function ${un}TakeSetupMutex
    System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $1 = 183 ; ERROR_ALREADY_EXISTS
      !insertmacro REFUSE ${EXIT_ANOTHER_SETUP} "Another VelPanel setup or uninstall is running. Let it finish, then try again."
    ${EndIf}
  FunctionEnd

  ; Asks a running panel to end as its File > Exit does (it saves its
  ; settings on the way out), with the VelPanel.exe this program carries (the
  ; installer has put it into $PLUGINSDIR before).
  Function ${un}EndRunningPanel
    StrCpy $PanelWasRunning 0
    !ifdef __UNINSTALL__
      InitPluginsDir
      SetDetailsPrint none
      File "/oname=$PLUGINSDIR\VelPanel.exe" "${EXE}"
      SetDetailsPrint both
    !endif
    DetailPrint "Ending a running VelPanel..."
    nsExec::ExecToStack '"$PLUGINSDIR\VelPanel.exe" --exit'
    Pop $0
    Pop $1
    ${TrimNewLines} $1 $1
    ${If} $0 == 0
      StrCpy $PanelWasRunning 1
      DetailPrint "VelPanel ended and saved its settings."
    ${ElseIf} $0 != 3 ; 3: no panel runs
      !ifndef __UNINSTALL__
        Call DropStagedFiles
      !endif
      !insertmacro REFUSE ${EXIT_PANEL_RUNS} "VelPanel is running and did not end ($0: $1). Nothing was changed. End VelPanel from its notification-area icon (Exit), then try again."
    ${EndIf}
  FunctionEnd

  ; Whether the folders $0 and $1 are one and the same: compared by what
  ; each name opens (the volume's serial number and the folder's file index),
  ; not by their text, since an 8.3 short name, a subst drive or a junction
  ; names a folder another way. Answers 1 or 0 in $0; 0 when either cannot
  ; be opened.
  Function ${un}SameFolder
    Push $2
    Push $3
    StrCpy $2 $1
    Call ${un}FolderIdentity
    StrCpy $3 $0
    StrCpy $0 $2
    Call ${un}FolderIdentity
    ${If} $3 != ""
    ${AndIf} $0 == $3
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
    StrCpy $1 $2
    Pop $3
    Pop $2
  FunctionEnd

  ; The identity of the folder $0 as "serial:index high:index low" in $0, ""
  ; when it cannot be opened. A folder opens only with backup semantics.
  Function ${un}FolderIdentity
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    System::Call 'kernel32::CreateFileW(w r0, i 0, i 7, p 0, i 3, i 0x02000000, p 0) p .r1' ; all sharing, OPEN_EXISTING
    StrCpy $0 ""
    ${If} $1 P<> -1
      ; BY_HANDLE_FILE_INFORMATION: 13 DWORDs; the volume serial number is
      ; the 8th, the file index's high and low parts the 12th and 13th.
      System::Alloc 52
      Pop $5
      System::Call 'kernel32::GetFileInformationByHandle(p r1, p r5) i .r2'
      ${If} $2 <> 0
        System::Call '*$5(i, i, i, i, i, i, i, i .r2, i, i, i, i .r3, i .r4)'
        StrCpy $0 "$2:$3:$4"
      ${EndIf}
      System::Free $5
      System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
  FunctionEnd

  ; Starts again, in the background, a panel that this run ended.
  Function ${un}RestartEndedPanel
    ${If} $PanelWasRunning = 1
    ${AndIf} ${FileExists} "$INSTDIR\VelPanel.exe"
      Exec '"$INSTDIR\VelPanel.exe" --background'
      StrCpy $PanelWasRunning 0
    ${EndIf}
  FunctionEnd
!macroend

!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; Moves `source` over `target` in one step (the target is never missing).
; Answers the Windows error code on the stack, 0 when done.
!macro REPLACE_FILE source target
  System::Call 'kernel32::MoveFileExW(w "${source}", w "${target}", i 9) i .r0 ?e' ; REPLACE_EXISTING | WRITE_THROUGH
  Pop $1
  ${If} $0 <> 0
    StrCpy $1 0
  ${EndIf}
  Push $1
!macroend

!macro IS_READ_ONLY file result
  StrCpy ${result} 0
  ${If} ${FileExists} "${file}"
    System::Call 'kernel32::GetFileAttributesW(w "${file}") i .r0'
    ${If} $0 <> -1
      IntOp ${result} $0 & 1 ; FILE_ATTRIBUTE_READONLY
    ${EndIf}
  ${EndIf}
!macroend

; ------------------------------------------------------------ install

; What a stopped install takes back: the files it staged, and the folder when
; it made it (a folder that holds anything else stays).
Function DropStagedFiles
  Delete "$INSTDIR\VelPanel.exe.new"
  Delete "$INSTDIR\Uninstall.exe.new"
  RMDir "$INSTDIR"
FunctionEnd

Section "VelPanel" SEC_PANEL
  SectionIn RO

  ; The folder, and a first write into it, before anything changes.
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    !insertmacro REFUSE ${EXIT_FOLDER} "The folder $INSTDIR cannot be created. Nothing was changed; choose another folder."
  ${EndIf}
  ; /D= may name the installed folder another way (a short name, a subst
  ; drive, a junction): then this is no move, and the install keeps the name
  ; it was registered under.
  StrCpy $MovesFolder 0
  ${If} $Upgrade = 1
  ${AndIf} $OldFolder != $INSTDIR
    StrCpy $0 $OldFolder
    StrCpy $1 $INSTDIR
    Call SameFolder
    ${If} $0 = 1
      StrCpy $INSTDIR $OldFolder
    ${Else}
      StrCpy $MovesFolder 1
    ${EndIf}
  ${EndIf}
  InitPluginsDir
  SetDetailsPrint none
  File "/oname=$PLUGINSDIR\VelPanel.exe" "${EXE}"
  SetDetailsPrint both
  System::Call 'kernel32::CopyFileW(w "$PLUGINSDIR\VelPanel.exe", w "$INSTDIR\VelPanel.exe.new", i 0) i .r0 ?e'
  Pop $1
  ${If} $0 = 0
    Call DropStagedFiles
    !insertmacro REFUSE ${EXIT_FOLDER} "VelPanel cannot write into $INSTDIR (Windows error $1). Nothing was changed."
  ${EndIf}
  ClearErrors
  WriteUninstaller "$INSTDIR\Uninstall.exe.new"
  ${If} ${Errors}
    Call DropStagedFiles
    !insertmacro REFUSE ${EXIT_FOLDER} "VelPanel cannot write into $INSTDIR. Nothing was changed."
  ${EndIf}
  !insertmacro IS_READ_ONLY "$INSTDIR\VelPanel.exe" $2
  !insertmacro IS_READ_ONLY "$INSTDIR\Uninstall.exe" $3
  ${If} $2 = 1
  ${OrIf} $3 = 1
    Call DropStagedFiles
    !insertmacro REFUSE ${EXIT_FOLDER} "The files in $INSTDIR are read-only and cannot be replaced. Nothing was changed."
  ${EndIf}

  Call EndRunningPanel

  ; The uninstaller first: a new uninstaller removes an older panel as well.
  !insertmacro REPLACE_FILE "$INSTDIR\Uninstall.exe.new" "$INSTDIR\Uninstall.exe"
  Pop $1
  ${If} $1 <> 0
    Call DropStagedFiles
    Call RestartEndedPanel
    !insertmacro REFUSE ${EXIT_FOLDER} "$INSTDIR\Uninstall.exe cannot be replaced (Windows error $1). Nothing was changed."
  ${EndIf}
  !insertmacro REPLACE_FILE "$INSTDIR\VelPanel.exe.new" "$INSTDIR\VelPanel.exe"
  Pop $1
  ${If} $1 <> 0
    Call DropStagedFiles
    Call RestartEndedPanel
    !insertmacro REFUSE ${EXIT_FOLDER} "$INSTDIR\VelPanel.exe cannot be replaced (Windows error $1). The installed VelPanel is unchanged."
  ${EndIf}
  DetailPrint "Installed $INSTDIR\VelPanel.exe"

  SetOutPath "$INSTDIR"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\VelPanel.exe" "" "$INSTDIR\VelPanel.exe" 0 SW_SHOWNORMAL "" "Velmora Control Panel"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Comments" "Velmora Control Panel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VelPanel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/M=*.exe /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; An upgrade into another folder (/D=) moves the install: the old
  ; program files go once the new ones are in place.
  ${If} $MovesFolder = 1
    Delete "$OldFolder\VelPanel.exe"
    Delete "$OldFolder\Uninstall.exe"
    RMDir "$OldFolder"
  ${EndIf}
SectionEnd

Section "Start VelPanel when I sign in" SEC_SIGNIN
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\VelPanel.exe" --background'
SectionEnd

Section "-Finish"
  ${IfNot} ${SectionIsSelected} ${SEC_SIGNIN}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  ; A panel that the upgrade ended comes back, also after a silent run.
  Call RestartEndedPanel
SectionEnd

; The folder that /D= names on the command line, "" without: from the
; command line as Windows holds it, since the installer's own copy ($CMDLINE)
; has it cut off. A quoted "/D=..." (which the installer itself would
; ignore) counts as well.
Function RequestedFolder
  System::Call 'kernel32::GetCommandLineW() w .r4'
  StrCpy $0 ""
  StrLen $1 $4
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $4 4 $2
    ${If} $3 S== " /D="
      IntOp $2 $2 + 4
      StrCpy $0 $4 "" $2
      ${Break}
    ${EndIf}
    StrCpy $3 $4 5 $2
    ${If} $3 S== ' "/D='
      IntOp $2 $2 + 5
      StrCpy $0 $4 "" $2
      ${WordFind} $0 '"' "+1{" $0
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  ; C:\Folder\ is C:\Folder
  StrCpy $3 $0 1 -1
  ${If} $3 == "\"
    StrCpy $0 $0 -1
  ${EndIf}
FunctionEnd

Function .onInit
  Call TakeSetupMutex
  ${IfNot} ${AtLeastWin7}
    !insertmacro REFUSE ${EXIT_SYSTEM} "VelPanel needs 64-bit Windows 7 or later."
  ${EndIf}
  ; The installer puts its default folder in place of a /D= folder that
  ; cannot exist (no such drive, a file in its path): the folder asked for
  ; is taken all the same, and refused by the install if it cannot be made,
  ; never replaced by another.
  Call RequestedFolder
  ${If} $0 != ""
    StrCpy $1 $0 2 1
    StrCpy $2 $0 2
    ${If} $1 != ":\"
    ${AndIf} $2 != "\\"
      !insertmacro REFUSE ${EXIT_OPTION} "/D= takes a full path such as C:\Apps\VelPanel, not '$0'."
    ${EndIf}
    StrCpy $INSTDIR $0
  ${EndIf}

  StrCpy $Upgrade 0
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $Upgrade 1
    StrCpy $OldFolder $0
    ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $1 == ""
      !insertmacro UnselectSection ${SEC_SIGNIN}
    ${EndIf}
  ${EndIf}

  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SIGNIN=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "1"
      !insertmacro SelectSection ${SEC_SIGNIN}
    ${ElseIf} $1 == "0"
      !insertmacro UnselectSection ${SEC_SIGNIN}
    ${Else}
      !insertmacro REFUSE ${EXIT_OPTION} "/SIGNIN= takes 1 (start VelPanel when I sign in) or 0, not '$1'."
    ${EndIf}
  ${EndIf}
FunctionEnd

Function SkipOnUpgrade
  ${If} $Upgrade = 1
    Abort ; an upgrade stays in the folder of the install it replaces
  ${EndIf}
FunctionEnd

Function StartPanel
  Exec '"$INSTDIR\VelPanel.exe"'
FunctionEnd

; ------------------------------------------------------------ uninstall

Section "-un.VelPanel"
  ; Only the install that the uninstall entry names is taken apart; an
  ; uninstaller run on another folder removes nothing of it.
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $R1 0 ; 1 when $INSTDIR is the folder of the entry, by whatever name
  ${If} $R0 == $INSTDIR
    StrCpy $R1 1
  ${ElseIf} $R0 != ""
    StrCpy $0 $R0
    StrCpy $1 $INSTDIR
    Call un.SameFolder
    StrCpy $R1 $0
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\VelPanel.exe"
  ${AndIf} $R1 = 0
    !insertmacro REFUSE ${EXIT_FOLDER} "VelPanel is not installed in $INSTDIR. Nothing was removed."
  ${EndIf}

  Call un.EndRunningPanel

  ; VelPanel.exe first: when it cannot go, nothing else has gone.
  ${If} ${FileExists} "$INSTDIR\VelPanel.exe"
    System::Call 'kernel32::DeleteFileW(w "$INSTDIR\VelPanel.exe") i .r0 ?e'
    Pop $1
    ${If} $0 = 0
      Call un.RestartEndedPanel
      !insertmacro REFUSE ${EXIT_FOLDER} "$INSTDIR\VelPanel.exe cannot be removed (Windows error $1). Nothing was removed."
    ${EndIf}
    DetailPrint "Removed $INSTDIR\VelPanel.exe"
  ${EndIf}
  Delete "$INSTDIR\VelPanel.exe.new"
  Delete "$INSTDIR\Uninstall.exe.new"
  ${If} $R1 = 1
    Delete "${SHORTCUT}"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Also remove my settings" SEC_UN_SETTINGS
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Qor"
  ; The diagnostics log holds file paths and serials: it goes with the
  ; settings (the panel has ended before this).
  RMDir /r "$LOCALAPPDATA\${LOG_FOLDER}"
  RMDir "$LOCALAPPDATA\Qor"
SectionEnd

Function un.onInit
  Call un.TakeSetupMutex
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SEC_UN_SETTINGS}
  ${EndIf}
FunctionEnd
