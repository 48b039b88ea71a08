; The Windows installer of MERLOX2, built by scripts/windows-package.sh with
;
;     makensis -INPUTCHARSET UTF8 -DVERSION=2.0.0 -DPROGRAM_DIR=<deployed folder> -DFILES=<install list>
;              -DUNFILES=<uninstall list> -DOUTFILE=<setup.exe> merlox2.nsi
;
; PROGRAM_DIR holds the program as the build installs it (merlox2.exe with its DLLs, plugins and
; translations; packaging/windows/CMakeLists.txt); FILES and UNFILES are the lists of its files that the
; script writes from the installation's manifest, so that the uninstaller removes exactly what was installed
; and nothing the teacher put there.
;
; The shortcuts are every user's (the all-users Start menu and desktop) and start the program with
; --carpeta-documentos: each teacher who signs in gets the grade files in the MERLOX2 folder of their own
; Documents, which the program makes when it is missing, also where an administrator's account authorised
; the installation. The installer never touches those folders: neither an upgrade nor the uninstaller
; deletes anything there.

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
; The program finds the Documents folder of whoever opens it; a shortcut can't name it for every user.
!define ARGUMENTS "--carpeta-documentos"

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

!define MUI_WELCOMEPAGE_TEXT "Este asistente instalará ${NAME} ${VERSION} en la computadora.$\r$\n$\r$\nCada persona que use ${NAME} en esta computadora guarda los archivos de los grados en la carpeta MERLOX2 de sus propios Documentos; la instalación no los modifica ni los borra.$\r$\n$\r$\nCierre ${NAME} antes de continuar."
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The copying page stays, with what was done, until Siguiente.
!define MUI_FINISHPAGE_NOAUTOCLOSE
; No "open the program" box: the installer may run under the account of whoever authorised it, and the
; program opened from here would keep the grade files in that account's Documents.
!define MUI_FINISHPAGE_TEXT "${NAME} ${VERSION} quedó instalado para todas las cuentas de la computadora. Ábralo con el acceso directo ${NAME} del menú Inicio o del escritorio: guarda los archivos de los grados en la carpeta MERLOX2 de los Documentos de quien lo abre, y la crea si no existe.$\r$\n$\r$\nPresione Terminar para cerrar este asistente."
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

Section "${NAME}"
    SetShellVarContext all
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

    ; Every user's shortcuts. They start in the program's folder, which belongs to no account; the
    ; argument names the folder of the grade files.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\${EXE}" "${ARGUMENTS}" "$INSTDIR\merlox2.ico" 0 \
        SW_SHOWNORMAL "" "Evaluación de la condición física"
    CreateShortcut "$DESKTOP\${NAME}.lnk" "$INSTDIR\${EXE}" "${ARGUMENTS}" "$INSTDIR\merlox2.ico" 0 \
        SW_SHOWNORMAL "" "Evaluación de la condición física"
    ; The reports window, on the same folder.
    CreateShortcut "$SMPROGRAMS\${REPORTS}.lnk" "$INSTDIR\${EXE}" "${ARGUMENTS} --reportes" "$INSTDIR\merlox2.ico" 0 \
        SW_SHOWNORMAL "" "Tablas de los alumnos de los tres grados, con su evaluación"
    CreateShortcut "$DESKTOP\${REPORTS}.lnk" "$INSTDIR\${EXE}" "${ARGUMENTS} --reportes" "$INSTDIR\merlox2.ico" 0 \
        SW_SHOWNORMAL "" "Tablas de los alumnos de los tres grados, con su evaluación"

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
    SetShellVarContext all
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
