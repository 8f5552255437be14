; The Windows installer: quadrix-<version>-setup.exe.
;
; Installs the program into Program Files and the core runtime, as
; basert.rtl, into the environment's own directory, whose path goes into
; HKEY_CURRENT_USER\Software\Tenvale\Quill\Install, value Path: the
; installed quadrix.exe has no runtime beside it and finds this one through
; the registry. Adds a Start-menu entry and an entry in the list of
; installed programs; the uninstaller takes all of it away again.
;
; makensis defines, all required (packaging/windows/build-packages.sh
; passes them):
;   QX_BIN_DIR   the directory holding quadrix.exe, quadrix-cli.exe,
;                basert.rtp and WebPane.rtp
;   QX_PAGES_NSH an include file defining the macros QX_INSTALL_PAGES and
;                QX_DELETE_PAGES: one File, one Delete line for each page
;                WebPane.rtp shows, which lie beside it
;   QX_NAME      the entry's name, the Name of packaging/quadrix.desktop
;   QX_VERSION   the four-part version, 1.0.0.0
;   QX_OUT_FILE  the installer to write
;   QX_README    the README to install beside the program
;   QX_ICON      the program's icon file (the one quadrix.exe carries), which
;                the installer and the uninstaller show too

Unicode true
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!macro QX_REQUIRE name
  !ifndef ${name}
    !error "makensis: define ${name} (see packaging/windows/build-packages.sh)"
  !endif
!macroend
!insertmacro QX_REQUIRE QX_BIN_DIR
!insertmacro QX_REQUIRE QX_NAME
!insertmacro QX_REQUIRE QX_VERSION
!insertmacro QX_REQUIRE QX_OUT_FILE
!insertmacro QX_REQUIRE QX_PAGES_NSH
!insertmacro QX_REQUIRE QX_README
!insertmacro QX_REQUIRE QX_ICON

!include "LogicLib.nsh"
!include "MUI2.nsh"
!include "${QX_PAGES_NSH}"

!define QX_PROGRAM_DIR_NAME "Quadrix"
!define QX_ENVIRONMENT_SUBDIR "Tenvale\Quill"
!define QX_INSTALL_KEY "Software\Tenvale\Quill\Install"
!define QX_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quadrix"
!define QX_UNINSTALLER "uninstall.exe"

Name "${QX_NAME}"
OutFile "${QX_OUT_FILE}"
InstallDir "$PROGRAMFILES\${QX_PROGRAM_DIR_NAME}"
BrandingText "Quadrix ${QX_VERSION}"

VIProductVersion "${QX_VERSION}"
VIFileVersion "${QX_VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "Quadrix"
VIAddVersionKey /LANG=0 "ProductVersion" "${QX_VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${QX_VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${QX_NAME} setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "Quadrix developers"

!define MUI_ICON "${QX_ICON}"
!define MUI_UNICON "${QX_ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

; The environment's directory: beside the program's, under Program Files.
Var EnvironmentDir

Function .onInit
  ; The key is the user's, so is the Start-menu entry.
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Quadrix" SecProgram
  SectionIn RO
  StrCpy $EnvironmentDir "$PROGRAMFILES\${QX_ENVIRONMENT_SUBDIR}"

  SetOutPath "$INSTDIR"
  File "${QX_BIN_DIR}\quadrix.exe"
  File "${QX_BIN_DIR}\quadrix-cli.exe"
  File "/oname=README.md" "${QX_README}"

  ; The runtime, its hypertext view and the pages that view shows; the
  ; runtime looks for WebPane.rtp beside itself.
  SetOutPath "$EnvironmentDir"
  File "/oname=basert.rtl" "${QX_BIN_DIR}\basert.rtp"
  File "${QX_BIN_DIR}\WebPane.rtp"
  !insertmacro QX_INSTALL_PAGES "$EnvironmentDir"

  ; The registry route ends the directory with its own separator.
  WriteRegStr HKCU "${QX_INSTALL_KEY}" "Path" "$EnvironmentDir\"

  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\${QX_NAME}.lnk" "$INSTDIR\quadrix.exe" "" \
    "$INSTDIR\quadrix.exe" 0

  WriteUninstaller "$INSTDIR\${QX_UNINSTALLER}"
  WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "DisplayName" "${QX_NAME}"
  WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "DisplayVersion" "${QX_VERSION}"
  WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quadrix.exe,0"
  WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "Publisher" "Quadrix developers"
  WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "EnvironmentLocation" "$EnvironmentDir"
  WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${QX_UNINSTALLER}"'
  WriteRegStr HKCU "${QX_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${QX_UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${QX_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${QX_UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ReadRegStr $EnvironmentDir HKCU "${QX_UNINSTALL_KEY}" "EnvironmentLocation"
  ${If} $EnvironmentDir == ""
    StrCpy $EnvironmentDir "$PROGRAMFILES\${QX_ENVIRONMENT_SUBDIR}"
  ${EndIf}

  Delete "$SMPROGRAMS\${QX_NAME}.lnk"

  ; Only the files this installer put there; the directories go when they
  ; are empty.
  Delete "$EnvironmentDir\basert.rtl"
  Delete "$EnvironmentDir\WebPane.rtp"
  !insertmacro QX_DELETE_PAGES "$EnvironmentDir"
  RMDir "$EnvironmentDir"
  RMDir "$EnvironmentDir\.."

  ; The key goes only while it still names this environment: a later
  ; installation elsewhere keeps its own.
  ReadRegStr $0 HKCU "${QX_INSTALL_KEY}" "Path"
  ${If} $0 == "$EnvironmentDir\"
  ${OrIf} $0 == "$EnvironmentDir"
    DeleteRegValue HKCU "${QX_INSTALL_KEY}" "Path"
    DeleteRegKey /ifempty HKCU "${QX_INSTALL_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Tenvale\Quill"
    DeleteRegKey /ifempty HKCU "Software\Tenvale"
  ${EndIf}

  Delete "$INSTDIR\quadrix.exe"
  Delete "$INSTDIR\quadrix-cli.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\${QX_UNINSTALLER}"
  RMDir "$INSTDIR"

  DeleteRegKey HKCU "${QX_UNINSTALL_KEY}"
SectionEnd
