; The Windows installer: the download's folder under Program Files for all
; users, a Start-menu entry for all users and an uninstaller with a full
; entry under Apps (version, publisher, size, location). build-windows.sh
; passes STAGE (the unpacked download), OUTFILE, ICON, VERSION (x.y.z) and
; FILELIST (an include that deletes each file of STAGE, for the uninstaller).
Unicode true
; The game is 64-bit only, and so is the installer.
Target amd64-unicode
; Sharp text on scaled displays, and Windows 10/11 behaviour.
ManifestDPIAware true
ManifestSupportedOS all
Name "Tripath"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES64\Tripath"
InstallDirRegKey HKLM "Software\Tripath" "InstallDir"
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Tripath"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tripath installer"
VIAddVersionKey /LANG=1033 "CompanyName" "Tripath contributors"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) Tripath contributors, MIT licence"

!include "FileFunc.nsh"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tripath"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; An administrator installs for every user of the machine, so the
; shortcuts belong to all users, not to the profile of whoever elevated.
Function .onInit
  SetShellVarContext all
FunctionEnd
Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Tripath"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Tripath.lnk" "$INSTDIR\tripath.exe"
  WriteRegStr HKLM "Software\Tripath" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tripath"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tripath contributors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tripath.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes exactly what was installed. Progress in %APPDATA%\Tripath
; belongs to the player and stays.
Section "Uninstall"
  Delete "$SMPROGRAMS\Tripath.lnk"
  !include "${FILELIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Tripath"
SectionEnd
