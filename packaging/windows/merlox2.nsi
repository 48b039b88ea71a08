; The Windows installer of MERLOX2, built by `scripts/windows.sh package` with
;
;     makensis -INPUTCHARSET UTF8 -DVERSION=2.0.0 -DPROGRAM_DIR=<deployed folder> -DFILES=<install list>
;              -DUNFILES=<uninstall list> -DOUTFILE=<setup.exe> merlox2.nsi
;
; PROGRAM_DIR holds the deployed program (merlox2.exe with its DLLs, plugins and translations); FILES and
; UNFILES are the lists of its files that the script writes from that folder, so that the uninstaller
; removes exactly what was installed and nothing the teacher put there.
;
; The grade files live in the teacher's documents folder (Documents\MERLOX2, the shortcuts' working
; folder) and are never touched: neither an upgrade nor the uninstaller deletes anything there.

; A 64-bit installer for a 64-bit program: it runs where the program can (and under Wine without its
; 32-bit half).
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!ifndef VERSION | PROGRAM_DIR | FILES | UNFILES | OUTFILE
    !error "VERSION, PROGRAM_DIR, FILES, UNFILES and OUTFILE must be defined (-D)"
!endif

!define NAME "MERLOX2"
!define EXE "merlox2.exe"
; The second pair of shortcuts, which opens the reports window.
!define REPORTS "MERLOX2 Reportes"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MERLOX2"
; The teacher's folder, the Windows counterpart of the Linux launcher's.
!define WORK_DIR "$DOCUMENTS\MERLOX2"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${NAME}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
BrandingText "${NAME} ${VERSION}"

!define MUI_ICON "${PROGRAM_DIR}/merlox2.ico"
!define MUI_UNICON "${PROGRAM_DIR}/merlox2.ico"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Este asistente instalará ${NAME} ${VERSION} en la computadora.$\r$\n$\r$\nLos archivos de los grados se guardan en la carpeta MERLOX2 de Documentos; la instalación no los modifica ni los borra.$\r$\n$\r$\nCierre ${NAME} antes de continuar."
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The copying page stays, with what was done, until Siguiente.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_TEXT "${NAME} ${VERSION} quedó instalado. Los accesos directos ${NAME} del menú Inicio y del escritorio lo abren en la carpeta MERLOX2 de Documentos.$\r$\n$\r$\nPresione Terminar para cerrar este asistente."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Abrir ${NAME}"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; NSIS's international Spanish for its own texts ("computadora", "presione"), nearer to the program's Spanish than
; the Spanish of Spain ("ordenador"); the texts written here say "presione" as well.
!insertmacro MUI_LANGUAGE "SpanishInternational"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SPANISHINTERNATIONAL} "ProductName" "${NAME}"
VIAddVersionKey /LANG=${LANG_SPANISHINTERNATIONAL} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SPANISHINTERNATIONAL} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SPANISHINTERNATIONAL} "FileDescription" "Instalación de ${NAME}"
VIAddVersionKey /LANG=${LANG_SPANISHINTERNATIONAL} "LegalCopyright" "${NAME}"

Var Upgrading

; Waits until the program at $INSTDIR is closed: Windows refuses to open a running program's file for
; writing. Asks the teacher to close it; in a silent run, or on Cancel, gives up.
!macro WaitUntilClosed un
Function ${un}WaitUntilClosed
    ${DoWhile} ${FileExists} "$INSTDIR\${EXE}"
        ClearErrors
        FileOpen $0 "$INSTDIR\${EXE}" a
        ${IfNot} ${Errors}
            FileClose $0
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "${NAME} está abierto. Ciérrelo (guarde antes los cambios) y presione Reintentar para continuar, o Cancelar para salir sin cambiar nada." \
            /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Quit
    retry:
    ${Loop}
FunctionEnd
!macroend
!insertmacro WaitUntilClosed ""
!insertmacro WaitUntilClosed "un."

Function .onInit
    SetRegView 64
    ; An earlier installation is upgraded where it is.
    StrCpy $Upgrading 0
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\${EXE}"
        StrCpy $INSTDIR $0
        StrCpy $Upgrading 1
        ; Asked before the pages, and again when the files are copied.
        Call WaitUntilClosed
    ${EndIf}
FunctionEnd

Function SkipDirectoryOnUpgrade
    ${If} $Upgrading == 1
        Abort
    ${EndIf}
FunctionEnd

Function StartProgram
    SetOutPath "${WORK_DIR}"
    Exec '"$INSTDIR\${EXE}"'
FunctionEnd

Section "${NAME}"
    SetShellVarContext current
    Call WaitUntilClosed

    ; The earlier version's uninstaller removes its own files (it never deletes grade files), so that
    ; nothing stale stays beside the new ones; it runs in place (_?=) and is waited for.
    ${If} $Upgrading == 1
    ${AndIf} ${FileExists} "$INSTDIR\uninstall.exe"
        DetailPrint "Retirando los archivos de la versión anterior"
        ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR' $0
        ${If} $0 != 0
            DetailPrint "La versión anterior no se pudo retirar del todo (código $0); se instala encima."
        ${EndIf}
    ${EndIf}

    !include "${FILES}"
    SetOutPath "$INSTDIR"
    File "${PROGRAM_DIR}/merlox2.ico"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The teacher's folder, and the shortcuts that start the program in it.
    CreateDirectory "${WORK_DIR}"
    SetOutPath "${WORK_DIR}"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\merlox2.ico" 0 \
        SW_SHOWNORMAL "" "Evaluación de la condición física"
    CreateShortcut "$DESKTOP\${NAME}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\merlox2.ico" 0 \
        SW_SHOWNORMAL "" "Evaluación de la condición física"
    ; The reports window, in the same folder.
    CreateShortcut "$SMPROGRAMS\${REPORTS}.lnk" "$INSTDIR\${EXE}" "--reportes" "$INSTDIR\merlox2.ico" 0 \
        SW_SHOWNORMAL "" "Tablas de los alumnos de los tres grados, con su evaluación"
    CreateShortcut "$DESKTOP\${REPORTS}.lnk" "$INSTDIR\${EXE}" "--reportes" "$INSTDIR\merlox2.ico" 0 \
        SW_SHOWNORMAL "" "Tablas de los alumnos de los tres grados, con su evaluación"
    SetOutPath "$INSTDIR"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\merlox2.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
    SetRegView 64
    Call un.WaitUntilClosed
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.WaitUntilClosed

    Delete "$SMPROGRAMS\${NAME}.lnk"
    Delete "$DESKTOP\${NAME}.lnk"
    Delete "$SMPROGRAMS\${REPORTS}.lnk"
    Delete "$DESKTOP\${REPORTS}.lnk"
    ; Only the files that were installed; the folders go only when empty (RMDir without /r), so
    ; anything else kept there stays.
    !include "${UNFILES}"
    Delete "$INSTDIR\merlox2.ico"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
