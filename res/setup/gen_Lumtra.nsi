; The setup program users run: finds Winamp, puts gen_Lumtra.dll into its Plugins folder and
; leaves an uninstaller with an entry in the list of installed programs.
;
; Built by the dist target of the i686 build, which defines on the makensis command line:
;   VERSION (1.10), VERSION_MAJOR, VERSION_MINOR, DLL (the DLL to install), OUTFILE.
;
; Exit codes: 0 installed, 1 cancelled by the user, 2 stopped by NSIS itself, 3 Winamp is
; running, 4 the folder holds no winamp.exe (silent setup only; the dialog asks), 5 the folder
; cannot be written. A silent setup that fails appends the reason to %TEMP%\gen_Lumtra-setup.log.

Unicode true
SetCompressor /SOLID lzma
; A damaged or truncated download is refused before anything runs.
CRCCheck on
; Rights are asked for later, and only when the chosen folder needs them (see CheckWritable).
RequestExecutionLevel user
AllowSkipFiles off

Name "gen_Lumtra ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "gen_Lumtra ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include WinVer.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\gen_Lumtra"
!define UNINSTALLER "gen_Lumtra-uninstall.exe"
!define WINAMP_CLASS "Winamp v1.x"
!define EXIT_WINAMP_RUNNING 3
!define EXIT_NOT_WINAMP 4
!define EXIT_NOT_WRITABLE 5
; Where the plugin keeps a user's settings when Winamp's Plugins folder cannot be written (the
; Plugins folder of Winamp's own per-user folder).
!define USER_PLUGINS "$APPDATA\Winamp\Plugins"

; "1" in the copy this setup started with administrator rights.
Var Elevated
; The uninstaller's folder, the library's, in its long form: as the per-user files name it.
Var OwnFolder

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenElevated
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(FolderText)"
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenElevated
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolderPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for systems in neither language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

; Texts on pages are labels: "&&" shows one ampersand.
LangString WelcomeText ${LANG_ENGLISH} "This installs gen_Lumtra ${VERSION}, the Winamp plugin that writes the playing track into the status of your QIP and R&&Q messengers.$\r$\n$\r$\nPlease close Winamp before you continue. Your settings from an earlier version are kept.$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_RUSSIAN} "Будет установлен gen_Lumtra ${VERSION} — модуль Winamp, который пишет играющую композицию в статус QIP и R&&Q.$\r$\n$\r$\nПеред продолжением закройте Winamp. Настройки прежней версии сохранятся.$\r$\n$\r$\n$_CLICK"
LangString FolderText ${LANG_ENGLISH} "Choose the folder of Winamp, the one that holds winamp.exe. The plugin goes into its Plugins folder."
LangString FolderText ${LANG_RUSSIAN} "Выберите папку Winamp, в которой лежит winamp.exe. Модуль будет помещён в её папку Plugins."
LangString NotWinamp ${LANG_ENGLISH} "There is no winamp.exe in $INSTDIR.$\r$\n$\r$\nInstall the plugin there anyway?"
LangString NotWinamp ${LANG_RUSSIAN} "В папке $INSTDIR нет winamp.exe.$\r$\n$\r$\nВсё равно установить модуль туда?"
LangString NotWinampLog ${LANG_ENGLISH} "no winamp.exe in $INSTDIR, nothing installed"
LangString NotWinampLog ${LANG_RUSSIAN} "в папке $INSTDIR нет winamp.exe, ничего не установлено"
LangString WinampRunning ${LANG_ENGLISH} "Winamp is running and holds the plugin.$\r$\n$\r$\nClose Winamp, then press Retry. Cancel stops without changing anything."
LangString WinampRunning ${LANG_RUSSIAN} "Winamp запущен и держит модуль.$\r$\n$\r$\nЗакройте Winamp и нажмите «Повтор». «Отмена» прекращает работу, ничего не меняя."
LangString WinampRunningLog ${LANG_ENGLISH} "Winamp is running, nothing changed"
LangString WinampRunningLog ${LANG_RUSSIAN} "Winamp запущен, ничего не изменено"
LangString CannotWrite ${LANG_ENGLISH} "Cannot write to $INSTDIR. Nothing was installed.$\r$\n$\r$\nChoose another folder, or run the setup as an administrator."
LangString CannotWrite ${LANG_RUSSIAN} "Не удаётся записать в папку $INSTDIR. Ничего не установлено.$\r$\n$\r$\nВыберите другую папку или запустите установку от имени администратора."
LangString CannotWriteLog ${LANG_ENGLISH} "cannot write to $INSTDIR, nothing installed"
LangString CannotWriteLog ${LANG_RUSSIAN} "нельзя записать в $INSTDIR, ничего не установлено"
; $R8: the files, one a line.
LangString DeleteSettings ${LANG_ENGLISH} "Delete the plugin's settings too?$\r$\n$R8"
LangString DeleteSettings ${LANG_RUSSIAN} "Удалить и настройки модуля?$\r$\n$R8"
LangString CannotDelete ${LANG_ENGLISH} "Cannot delete $INSTDIR\gen_Lumtra.dll. Close Winamp and run the uninstaller again."
LangString CannotDelete ${LANG_RUSSIAN} "Не удаётся удалить $INSTDIR\gen_Lumtra.dll. Закройте Winamp и запустите удаление ещё раз."

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "gen_Lumtra"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "gen_Lumtra ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "gen_Lumtra"

; ---- shared by the setup and the uninstaller (NSIS wants the uninstaller's functions named
; un.*, so each is defined twice from one macro)
!macro SharedFunctions UN
; A silent run has no one to tell: the reason goes to a log file in the user's temp folder.
Function ${UN}FailSilently ; (exit code, text)
  Exch $1 ; text
  Exch
  Exch $0 ; exit code
  ClearErrors
  FileOpen $2 "$TEMP\gen_Lumtra-setup.log" a
  ${IfNot} ${Errors}
    FileSeek $2 0 END
    FileWrite $2 "gen_Lumtra ${VERSION}: $1$\r$\n"
    FileClose $2
  ${EndIf}
  SetErrorLevel $0
  Quit
FunctionEnd

; Winamp holds the loaded DLL open: wait until the user has closed it, or stop unchanged.
Function ${UN}WaitForWinampClosed
  ${Do}
    FindWindow $0 "${WINAMP_CLASS}"
    ${If} $0 = 0
      Return
    ${EndIf}
    ${If} ${Silent}
      Push ${EXIT_WINAMP_RUNNING}
      Push "$(WinampRunningLog)"
      Call ${UN}FailSilently
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(WinampRunning)" IDRETRY retry
    SetErrorLevel ${EXIT_WINAMP_RUNNING}
    Quit
  retry:
  ${Loop}
FunctionEnd

; Starts this same program again with administrator rights, waits for it and ends with its exit
; code. Returns only when Windows could not start it (the user declined).
Function ${UN}RunElevated ; (parameters)
  Exch $1
  ${If} ${Silent}
    StrCpy $1 "/S $1"
  ${EndIf}
  ; SHELLEXECUTEINFO with SEE_MASK_NOCLOSEPROCESS, so that we get the process to wait for.
  System::Call '*(&l4, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w "$1", p 0, i 1, p, p, p, p, i, p, p) p .r0'
  System::Call 'shell32::ShellExecuteExW(p r0) i .r2'
  ${If} $2 = 0
    System::Free $0
    Pop $1
    Return
  ${EndIf}
  System::Call '*$0(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r3)'
  System::Free $0
  HideWindow
  System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
  System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r4)'
  System::Call 'kernel32::CloseHandle(p r3)'
  SetErrorLevel $4
  Quit
FunctionEnd

; Pushes 1 when files can be created in folder $0 (or the folder can be made), else 0.
Function ${UN}CanWrite
  ${If} ${FileExists} "$0\*.*"
    ClearErrors
    FileOpen $1 "$0\gen_Lumtra.write-test" w
    ${If} ${Errors}
      Push 0
      Return
    ${EndIf}
    FileClose $1
    Delete "$0\gen_Lumtra.write-test"
    Push 1
    Return
  ${EndIf}
  ClearErrors
  CreateDirectory $0
  ${If} ${Errors}
    Push 0
    Return
  ${EndIf}
  RMDir $0
  Push 1
FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

; ---- the setup

; Winamp's folder: where Winamp recorded it, else the folder of its uninstaller, else the usual
; place. A folder given with /D= wins over all of them.
Function FindWinamp
  ReadRegStr $0 HKCU "Software\Winamp" ""
  ${If} $0 == ""
    ReadRegStr $0 HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp" "UninstallString"
    ${If} $0 != ""
      StrCpy $1 $0 1
      ${If} $1 == '"'
        StrCpy $0 $0 "" 1
        ${WordFind} $0 '"' "+1{" $0
      ${EndIf}
      ${GetParent} $0 $0
    ${EndIf}
  ${EndIf}
  ${If} $0 == ""
    StrCpy $0 "$PROGRAMFILES\Winamp"
  ${EndIf}
  StrCpy $INSTDIR $0
FunctionEnd

; Pushes 1 when the folder can take the files. On Vista and later a folder that needs
; administrator rights (Program Files) gets them by starting the setup again, elevated.
Function CheckWritable
  StrCpy $0 "$INSTDIR\Plugins"
  ${IfNot} ${FileExists} "$0\*.*"
    StrCpy $0 $INSTDIR
  ${EndIf}
  Call CanWrite
  Pop $0
  ${If} $0 = 1
    Push 1
    Return
  ${EndIf}
  ${If} ${AtLeastWinVista}
  ${AndIf} $Elevated != 1
    Push "/ELEVATED /D=$INSTDIR"
    Call RunElevated
  ${EndIf}
  ${If} ${Silent}
    Push ${EXIT_NOT_WRITABLE}
    Push "$(CannotWriteLog)"
    Call FailSilently
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "$(CannotWrite)"
  Push 0
FunctionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ELEVATED" $1
  ${IfNot} ${Errors}
    StrCpy $Elevated 1
  ${EndIf}
  ${If} $INSTDIR == ""
    Call FindWinamp
  ${EndIf}
  ; A silent setup checks everything before it changes anything; so does the elevated copy,
  ; which skips the pages where the checks are made.
  ${If} ${Silent}
  ${AndIfNot} ${FileExists} "$INSTDIR\winamp.exe"
    Push ${EXIT_NOT_WINAMP}
    Push "$(NotWinampLog)"
    Call FailSilently
  ${EndIf}
  ${If} ${Silent}
  ${OrIf} $Elevated == 1
    Call WaitForWinampClosed
    Call CheckWritable
    Pop $0
    ${If} $0 = 0
      SetErrorLevel ${EXIT_NOT_WRITABLE}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; The elevated copy was started with the folder already chosen.
Function SkipWhenElevated
  ${If} $Elevated == 1
    Abort
  ${EndIf}
FunctionEnd

Function CheckFolderPage
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$(NotWinamp)" IDYES anyway
    Abort
  anyway:
  ${EndIf}
  Call CheckWritable
  Pop $0
  ${If} $0 = 0
    Abort
  ${EndIf}
FunctionEnd

Section "-gen_Lumtra"
  Call WaitForWinampClosed
  SetOutPath "$INSTDIR\Plugins"
  ; Only the DLL: its settings file beside it (gen_Lumtra.dll.ini) is never touched.
  File "/oname=gen_Lumtra.dll" "${DLL}"
  WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"

  ; The list of installed programs: the machine's when we may write it, else the user's.
  SetShellVarContext all
  ClearErrors
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "gen_Lumtra: Winamp to ICQ client status"
  ${If} ${Errors}
    SetShellVarContext current
    WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "gen_Lumtra: Winamp to ICQ client status"
  ${EndIf}
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegDWORD SHCTX "${UNINST_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD SHCTX "${UNINST_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR\Plugins"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\winamp.exe"
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; ---- the uninstaller, which lives in the Plugins folder ($INSTDIR here)

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ELEVATED" $1
  ${IfNot} ${Errors}
    StrCpy $Elevated 1
  ${EndIf}
  ; Handed on to an elevated copy.
  StrCpy $R9 ""
  ClearErrors
  ${GetOptions} $0 "/DELETESETTINGS" $1
  ${IfNot} ${Errors}
    StrCpy $R9 "/DELETESETTINGS "
  ${EndIf}
  StrCpy $0 $INSTDIR
  Call un.CanWrite
  Pop $0
  ${If} $0 = 0
  ${AndIf} ${AtLeastWinVista}
  ${AndIf} $Elevated != 1
    ; _?= keeps the elevated copy in this folder's name; it must come last.
    Push "/ELEVATED $R9_?=$INSTDIR"
    Call un.RunElevated
  ${EndIf}
FunctionEnd

; The long form of a folder, or the folder as given when it has none (it is gone).
Function un.LongFolder ; (folder) -> folder
  Exch $0
  Push $1
  Push $2
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Pushes 1 when a per-user file names this library in its first line, else 0. The plugin writes
; "; gen_Lumtra library=PATH" there, PATH in UTF-8 as Windows named the loaded DLL; an editor may
; have put a UTF-8 byte order mark in front. Several installs share the per-user folder, so a
; file naming another library is another install's; one naming none was written by an earlier
; version, perhaps by another install still in use, and is not taken for this one's either.
Function un.IsOwnUserFile ; (file) -> 1 or 0
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  StrCpy $6 0
  ; Zeroed, and larger than what is read: the text read always ends.
  System::Alloc 1028
  Pop $1
  System::Call 'kernel32::CreateFileW(w r0, i 0x80000000, i 7, p 0, i 3, i 0, p 0) p .r2'
  ${If} $2 P<> -1
    System::Call 'kernel32::ReadFile(p r2, p r1, i 1024, *i 0, p 0)'
    System::Call 'kernel32::CloseHandle(p r2)'
    System::Call '*$1(&i1 .r3, &i1 .r4, &i1 .r5)'
    IntOp $3 $3 & 0xFF
    IntOp $4 $4 & 0xFF
    IntOp $5 $5 & 0xFF
    StrCpy $2 $1
    ${If} $3 = 0xEF
    ${AndIf} $4 = 0xBB
    ${AndIf} $5 = 0xBF
      IntPtrOp $2 $1 + 3
    ${EndIf}
    System::Call 'kernel32::MultiByteToWideChar(i 65001, i 0, p r2, i -1, w .r4, i ${NSIS_MAX_STRLEN})'
    StrCpy $5 "; gen_Lumtra library="
    StrLen $2 $5
    StrCpy $3 $4 $2
    ${If} $3 S== $5
      StrCpy $4 $4 "" $2
      ; The path ends with its line.
      StrCpy $2 0
      ${Do}
        StrCpy $3 $4 1 $2
        ${If} $3 == ""
        ${OrIf} $3 == "$\r"
        ${OrIf} $3 == "$\n"
          ${ExitDo}
        ${EndIf}
        IntOp $2 $2 + 1
      ${Loop}
      StrCpy $4 $4 $2
      ${GetFileName} $4 $3
      ${GetParent} $4 $5
      Push $5
      Call un.LongFolder
      Pop $5
      ; Compared as Windows compares names, in any case.
      ${If} $3 == "gen_Lumtra.dll"
      ${AndIf} $5 == $OwnFolder
        StrCpy $6 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  System::Free $1
  StrCpy $0 $6
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; This install's settings files: the settings and the journal of stored statuses beside the DLL,
; and in the per-user folder those that name this library, under the shared name or one of its
; own (gen_Lumtra.dll.1a2b3c4d.ini). $R7 "delete" deletes them; otherwise $R8 gets one line each.
Function un.OwnSettingsFiles
  ${ForEach} $2 0 1 + 1
    ${If} $2 = 0
      StrCpy $3 "gen_Lumtra.dll.ini"
    ${Else}
      StrCpy $3 "gen_Lumtra.dll.statuses.txt"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\$3"
      ${If} $R7 == "delete"
        Delete "$INSTDIR\$3"
      ${Else}
        StrCpy $R8 "$R8$\r$\n$INSTDIR\$3"
      ${EndIf}
    ${EndIf}
  ${Next}
  ${ForEach} $2 0 1 + 1
    ${If} $2 = 0
      FindFirst $0 $1 "${USER_PLUGINS}\gen_Lumtra.dll*.ini"
    ${Else}
      FindFirst $0 $1 "${USER_PLUGINS}\gen_Lumtra.dll*.statuses.txt"
    ${EndIf}
    ${DoWhile} $1 != ""
      Push "${USER_PLUGINS}\$1"
      Call un.IsOwnUserFile
      Pop $3
      ${If} $3 = 1
        ${If} $R7 == "delete"
          Delete "${USER_PLUGINS}\$1"
        ${Else}
          StrCpy $R8 "$R8$\r$\n${USER_PLUGINS}\$1"
        ${EndIf}
      ${EndIf}
      FindNext $0 $1
    ${Loop}
    FindClose $0
  ${Next}
FunctionEnd

Section "Uninstall"
  Call un.WaitForWinampClosed
  Delete "$INSTDIR\gen_Lumtra.dll"
  ${If} ${FileExists} "$INSTDIR\gen_Lumtra.dll"
    MessageBox MB_OK|MB_ICONSTOP "$(CannotDelete)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ; The settings go only when the user says so; a silent uninstall keeps them unless told with
  ; /DELETESETTINGS. They are beside the DLL, or the current user's when that could not be
  ; written; the journal of stored statuses goes with them. Another install's stay.
  SetShellVarContext current
  Push $INSTDIR
  Call un.LongFolder
  Pop $OwnFolder
  StrCpy $R7 "list"
  StrCpy $R8 ""
  Call un.OwnSettingsFiles
  ${If} $R8 != ""
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/DELETESETTINGS" $1
    ${If} ${Errors}
      MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(DeleteSettings)" /SD IDNO IDNO keep
    ${EndIf}
    StrCpy $R7 "delete"
    Call un.OwnSettingsFiles
    RMDir "${USER_PLUGINS}" ; only when nothing else is left there
  keep:
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  ; The list entry goes only when it is this installation's (another Winamp may hold the last).
  ${ForEach} $1 0 1 + 1
    ${If} $1 = 0
      SetShellVarContext all
    ${Else}
      SetShellVarContext current
    ${EndIf}
    ReadRegStr $0 SHCTX "${UNINST_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
      DeleteRegKey SHCTX "${UNINST_KEY}"
    ${EndIf}
  ${Next}
SectionEnd
