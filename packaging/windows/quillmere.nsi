; The Windows installer, quillmere-<version>-setup.exe (NSIS 3, Debian: nsis).
;
;   makensis -DVERSION=2.0 -DBIN=build-windows-gui/bin [-DBRAND=<brand file>] \
;            -DOUTDIR=build-windows-gui packaging/windows/quillmere.nsi
;
; Installing: quillmere-2.0-setup.exe [/S] [/AllUsers | /CurrentUser] [/TOOLS]
;
; BIN holds quillmere.exe and the tools quillmere-compile.exe,
; quillmere-brand.exe and quillmere-status.exe; BRAND is the reseller's brand
; file, installed beside the program as Quillmere.dat (without it the copy
; starts unbranded).
;
; Installs for all users into Program Files (asks for elevation) or for the
; user alone into the user's own programs folder; /AllUsers or /CurrentUser
; choose on the command line, /S installs silently. A Start menu entry, an
; uninstaller listed in Apps & Features, the three tools on request (a box on
; the components page, /TOOLS on the command line). The data of an installed
; copy lives in the user's data folder, never beside the program, wherever it
; is installed.
;
; The uninstaller removes only what the installer put there: the user's data
; folder (%APPDATA%\Quillmere: projects, recovery copies) and the user's
; settings (HKCU\Software\Quillmere\Quillmere) are never touched.
;
; tests/windows/installer-test.sh builds it and installs, starts and
; uninstalls it under Wine.

Unicode true
; A 64-bit installer for the 64-bit program (it also runs where Windows has no
; 32-bit layer, as Wine without its 32-bit part).
Target amd64-unicode
!ifndef VERSION
    !define VERSION "2.0"
!endif
!ifndef BIN
    !define BIN "..\..\build-windows-gui\bin"
!endif
!ifndef OUTDIR
    !define OUTDIR "."
!endif

!define PRODUCT "Quillmere"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmere"
; The installer's own key (the install mode and folder), apart from the
; program's settings.
!define SETUP_KEY "Software\Quillmere Setup"

Name "${PRODUCT}"
OutFile "${OUTDIR}\quillmere-${VERSION}-setup.exe"
SetCompressor /SOLID lzma
RequestExecutionLevel user ; MultiUser asks for elevation where needed

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${SETUP_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${SETUP_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Quillmere" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${BIN}\quillmere.exe"
!ifdef BRAND
    File "/oname=Quillmere.dat" "${BRAND}"
!endif
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\quillmere.exe"

    WriteRegStr SHCTX "${SETUP_KEY}" "InstallMode" "$MultiUser.InstallMode"
    WriteRegStr SHCTX "${SETUP_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "The Quillmere developers"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillmere.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The command-line tools, for resellers and scripted builds: not installed
; unless chosen.
Section /o "Command-line tools" SecTools
    SetOutPath "$INSTDIR"
    File "${BIN}\quillmere-compile.exe"
    File "${BIN}\quillmere-brand.exe"
    File "${BIN}\quillmere-status.exe"
SectionEnd

Section "-Size"
    ; The size Apps & Features shows, of what was installed.
    SectionGetSize ${SecProgram} $0
    SectionGetFlags ${SecTools} $1
    IntOp $1 $1 & ${SF_SELECTED}
    ${If} $1 != 0
        SectionGetSize ${SecTools} $1
        IntOp $0 $0 + $1
    ${EndIf}
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; After the sections, which it selects from the command line.
Function .onInit
    !insertmacro MULTIUSER_INIT
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/TOOLS" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecTools}
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program and its Start menu entry."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecTools} \
        "quillmere-compile, quillmere-brand and quillmere-status, for compiling projects, branding copies and checking works from a command line."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
    ; Only the files the installer put there; a folder the user filled stays.
    Delete "$INSTDIR\quillmere.exe"
    Delete "$INSTDIR\Quillmere.dat"
    Delete "$INSTDIR\quillmere-compile.exe"
    Delete "$INSTDIR\quillmere-brand.exe"
    Delete "$INSTDIR\quillmere-status.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    DeleteRegKey SHCTX "${SETUP_KEY}"
    ; %APPDATA%\Quillmere and HKCU\Software\Quillmere\Quillmere are the
    ; user's: left as they are.
SectionEnd
