; The installer of "Тест КВЗ" for 64-bit Windows, made by build.sh with Debian's makensis:
;   makensis -DSTAGE=<the program's files> -DOUTFILE=<installer> -DVERSION=<x.y.z> kvz.nsi
; The program under Program Files; the delivered database at the program's fixed place only when
; no database is there, that folder open to every user (SQLite writes its log beside the file);
; a Start-menu entry started in that folder, where the test's title (title.ini) is kept for
; every account of the PC. /S installs silently. The uninstaller leaves the database, the title
; and the results.

Unicode true
Target amd64-unicode ; the program is 64-bit, so the installer is too
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Тест КВЗ"
!define DATA_DIR "C:\Program Files\Тест" ; compiled into the program
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kvz"
; The built-in group of users, by its SID: the group's name is in the system's language.
!define USERS_SID "*S-1-5-32-545"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1049 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка программы ${PRODUCT}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "Авторы программы ${PRODUCT}"

!define MUI_ICON "${STAGE}\kvz.ico"
!define MUI_UNICON "${STAGE}\kvz.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kvz.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION StartFromDataFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Function .onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

; As the Start-menu entry starts it: in the folder of title.ini.
Function StartFromDataFolder
    SetOutPath "${DATA_DIR}"
    Exec '"$INSTDIR\kvz.exe"'
FunctionEnd

Section "${PRODUCT}"
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\program\*.*"
    File "${STAGE}\kvz.ico"

    ; Never over a database that holds results.
    SetOutPath "${DATA_DIR}"
    SetOverwrite off
    File "${STAGE}\kvz_1.mdb"
    SetOverwrite on
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "${DATA_DIR}" /grant ${USERS_SID}:(OI)(CI)M /T /C /Q'
    Pop $0
    ${If} $0 != 0
        DetailPrint "Не удалось открыть папку ${DATA_DIR} для всех пользователей (код $0)."
    ${EndIf}

    ; The entry starts the program in the data folder: title.ini is kept there, and pusk.exe and
    ; HELP_TEST.HLP are looked for there first.
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kvz.exe" "" "$INSTDIR\kvz.ico" 0 \
        SW_SHOWNORMAL "" "Проверка знаний учащихся"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kvz.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The database, its log files and title.ini in the data folder stay: they hold the results.
Section "Uninstall"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    ; Only the installer's own files: the folder may have been chosen as one that holds others.
    Delete "$INSTDIR\kvz.exe"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\qt.conf"
    Delete "$INSTDIR\HELP_TEST.HLP"
    Delete "$INSTDIR\kvz.ico"
    RMDir /r "$INSTDIR\plugins"
    RMDir /r "$INSTDIR\translations"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
