# Sourced by the benchmarks: the NSIS script of the same work as our setup:
# the files, an uninstaller, an uninstall entry and one shortcut; the
# uninstaller removes them again.
nsis_script() { # compressor line, output, application folder, install folder, shortcut's file
    cat <<NSI
Unicode true
$1
Name "Bench App"
OutFile "$2"
InstallDir "$4"
RequestExecutionLevel admin
!define UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BenchApp"
Section
  SetOutPath "\$INSTDIR"
  File /r "$3/*"
  WriteUninstaller "\$INSTDIR\\Uninstall.exe"
  WriteRegStr HKLM "\${UNINSTALL_KEY}" "DisplayName" "Bench App"
  WriteRegStr HKLM "\${UNINSTALL_KEY}" "UninstallString" '"\$INSTDIR\\Uninstall.exe"'
  WriteRegStr HKLM "\${UNINSTALL_KEY}" "InstallLocation" "\$INSTDIR"
  CreateShortcut "\$SMPROGRAMS\\Bench App.lnk" "\$INSTDIR\\$5"
SectionEnd
Section "Uninstall"
  Delete "\$SMPROGRAMS\\Bench App.lnk"
  DeleteRegKey HKLM "\${UNINSTALL_KEY}"
  RMDir /r "\$INSTDIR"
SectionEnd
NSI
}
