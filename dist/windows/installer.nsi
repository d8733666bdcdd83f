; The Windows installer: the download's folder under Program Files, a
; Start-menu entry and an uninstaller. build-windows.sh passes STAGE (the
; unpacked download), OUTFILE and ICON.
Unicode true
; The game is 64-bit only, and so is the installer.
Target amd64-unicode
Name "Tripath"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES64\Tripath"
InstallDirRegKey HKLM "Software\Tripath" "InstallDir"
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tripath"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tripath"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Tripath.lnk" "$INSTDIR\tripath.exe"
  WriteRegStr HKLM "Software\Tripath" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tripath"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tripath.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Progress in %APPDATA%\Tripath belongs to the player and stays.
Section "Uninstall"
  Delete "$SMPROGRAMS\Tripath.lnk"
  RMDir /r "$INSTDIR\data"
  RMDir /r "$INSTDIR\licences"
  Delete "$INSTDIR\tripath.exe"
  Delete "$INSTDIR\glfw3.dll"
  Delete "$INSTDIR\OpenAL32.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Tripath"
SectionEnd
