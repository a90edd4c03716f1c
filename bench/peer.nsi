; The usual alternative to the launcher, for comparison: a small NSIS program
; that reads the application manager's App Paths entry and runs it on the
; install list, waiting for it to end. It neither touches the suite
; software's window nor takes a settling pause. Like the launcher it is
; started in the folder that holds the list, and lies there too, so the
; list's full path is the program's own folder and its command tail.
Unicode false
Name "Installation"
Caption "Installation"
!ifndef OUTFILE
  !define OUTFILE "peer.exe"
!endif
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent

!include "FileFunc.nsh"

Section
  ReadRegStr $0 HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\CEAPPMGR.EXE" ""
  StrCmp $0 "" 0 found
    MessageBox MB_OK|MB_ICONSTOP "Can not find ActiveSync. Please reinstall ActiveSync and than run this installation again."
    Quit
  found:
  ${GetParameters} $1
  StrCmp $1 "" 0 list
    ExecWait '"$0"'
    Quit
  list:
  ExecWait '"$0" "$EXEDIR\$1"'
SectionEnd
