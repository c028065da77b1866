; The Windows installer of Nivara (NSIS 3), built by scripts/package-windows:
; the program folder into Program Files, a Start-menu entry, a desktop icon
; that may be left out, and an uninstaller in the list of installed programs.
; Saved as UTF-8 with a BOM, which NSIS reads as Unicode.
;
; Defined on makensis's command line: PRODUCT_NSH (version, publisher: from
; CMake), FILES_NSH (the program folder's files, listed by the script),
; PROGRAM_SIZE_KB and OUTFILE.
;
; The settings, the result log and the journals are the user's: they live in
; %APPDATA%\Nivara and the Documents folder, and neither installing over an
; older version nor uninstalling touches them. The uninstaller removes only
; the files the installer put there; a folder with anything else in it stays.

; A 64-bit installer for the 64-bit program: Program Files and the registry
; are the 64-bit ones without any redirection.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include /CHARSET=UTF8 "${PRODUCT_NSH}"
!include /CHARSET=UTF8 "${FILES_NSH}"
!include MUI2.nsh
!include LogicLib.nsh
!include WinVer.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nivara"

Name "Nivara"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Nivara"
BrandingText "Nivara ${PRODUCT_VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${PRODUCT_ICON}"
!define MUI_UNICON "${PRODUCT_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_WELCOMEPAGE_TEXT "Эта программа установит Nivara ${PRODUCT_VERSION} на ваш компьютер.$\r$\n$\r$\nЕсли Nivara запущена, закройте её перед установкой. Настройки и журналы при обновлении сохранятся.$\r$\n$\r$\n$_CLICK"
!define MUI_FINISHPAGE_TEXT "Nivara ${PRODUCT_VERSION} установлена. Запустите её из меню «Пуск».$\r$\n$\r$\nНастройки каждого пользователя хранятся в папке %APPDATA%\Nivara, журналы — в папке «Документы\Nivara». При обновлении и удалении программы они остаются."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${PRODUCT_VERSION_WINDOWS}"
VIFileVersion "${PRODUCT_VERSION_WINDOWS}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "Nivara"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка Nivara"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${PRODUCT_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "${PRODUCT_COPYRIGHT}"

; A running program cannot be replaced or removed (Windows holds its files).
; Waits until Nivara.exe in the folder $0 is closed, asking the user; in
; silent mode, or when the user cancels, ends the installation or removal
; with exit code 2, before any file has been touched.
!macro NIVARA_WAIT_CLOSED UN
Function ${UN}WaitClosed
  ${DoWhile} ${FileExists} "$0\Nivara.exe"
    ClearErrors
    ; A running program's file cannot be opened for writing; nothing is written.
    FileOpen $1 "$0\Nivara.exe" a
    ${IfNot} ${Errors}
      FileClose $1
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Программа Nivara запущена ($0\Nivara.exe).$\r$\n$\r$\nЗакройте её (журнал при этом можно сохранить) и нажмите «Повтор»." \
      /SD IDCANCEL IDRETRY retry
    DetailPrint "Nivara запущена в $0: закройте программу и повторите."
    SetErrorLevel 2
    Abort "Nivara запущена: закройте программу и повторите."
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro NIVARA_WAIT_CLOSED ""
!insertmacro NIVARA_WAIT_CLOSED "un."

Function .onInit
  ; Qt 6 needs Windows 10.
  ${IfNot} ${AtLeastWin10}
    MessageBox MB_OK|MB_ICONSTOP "Для Nivara нужна 64-разрядная Windows 10 или 11." /SD IDOK
    SetErrorLevel 1
    Abort
  ${EndIf}
  ; Installed already: the new version goes where the old one is, unless
  ; another folder was asked for (/D=).
  ${If} $INSTDIR == "$PROGRAMFILES64\Nivara"
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
FunctionEnd

; The files of the version installed before: removed by its own uninstaller,
; which knows them and leaves the user's files alone, so that nothing of it
; stays behind among the new version's files.
Function RemovePrevious
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == ""
  ${OrIfNot} ${FileExists} "$R0\Uninstall.exe"
    Return
  ${EndIf}
  StrCpy $0 $R0
  Call WaitClosed
  DetailPrint "Удаление файлов прежней версии из $R0"
  ; _?= runs it in place, and this waits for it.
  ExecWait '"$R0\Uninstall.exe" /S _?=$R0' $R1
  ${If} $R1 != 0
    MessageBox MB_OK|MB_ICONSTOP "Не удалось удалить прежнюю версию Nivara из $R0 (код $R1)." /SD IDOK
    SetErrorLevel 2
    Abort "Не удалось удалить прежнюю версию Nivara."
  ${EndIf}
  Delete "$R0\Uninstall.exe"
  RMDir "$R0"
FunctionEnd

Section "Nivara" SecProgram
  SectionIn RO
  SetShellVarContext all
  StrCpy $0 $INSTDIR
  Call WaitClosed
  Call RemovePrevious

  !insertmacro NIVARA_INSTALL_FILES
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Nivara.lnk" "$INSTDIR\Nivara.exe" "" "$INSTDIR\Nivara.exe" 0 SW_SHOWNORMAL "" \
    "${PRODUCT_DESCRIPTION}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Nivara"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT_PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Nivara.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${PROGRAM_SIZE_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Значок на рабочем столе" SecDesktop
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\Nivara.lnk" "$INSTDIR\Nivara.exe" "" "$INSTDIR\Nivara.exe" 0 SW_SHOWNORMAL "" \
    "${PRODUCT_DESCRIPTION}"
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  StrCpy $0 $INSTDIR
  Call un.WaitClosed

  !insertmacro NIVARA_UNINSTALL_FILES
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: settings or journals kept beside the program stay.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Nivara.lnk"
  Delete "$DESKTOP\Nivara.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
