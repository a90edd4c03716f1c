@echo off
rem The Windows test kit's driver. It runs each test program of the kit on
rem this machine, prints each one's output and result, and ends with the
rem line "N passed, N failed, N skipped": N counts test cases (a program that
rem ends without its own count, having crashed or refused to start, or that
rem ran no case at all, counts as one failed case). Exit code 0 only when
rem nothing failed.
rem
rem   run-tests.cmd [FILTER]
rem
rem FILTER, a GoogleTest filter, narrows the end-to-end suite; the signed
rem copy's run is then left out. Run it as administrator: the end-to-end
rem tests register their own application manager under HKEY_LOCAL_MACHINE
rem (and put the entry back). Each program's output is kept in results\.
rem
rem No delayed expansion: a "!" in the kit's folder would be taken for one.
setlocal EnableExtensions DisableDelayedExpansion
cd /d "%~dp0"
set "filter=%~1"
set passed=0
set failed=0
set skipped=0
if not exist results mkdir results

rem The programs print in the ANSI code page; a console set to another one
rem (a runner's is 65001) is set to it for the run, and back at the end.
set console=
for /f "tokens=2 delims=:" %%c in ('chcp') do set "console=%%c"
if defined console set "console=%console: =%"
if defined console set "console=%console:.=%"
set ansi=
for /f "tokens=3" %%c in ('reg query HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage /v ACP 2^>nul ^| find "REG_SZ"') do set "ansi=%%c"
set switched=
if defined ansi if not "%console%"=="%ansi%" chcp %ansi% >nul 2>&1 && set switched=1

set sha256=
for /f "tokens=1" %%h in ('bin\file_sha256.exe bin\launcher.exe') do set "sha256=%%h"
if not defined sha256 set "sha256=unknown: bin\launcher.exe cannot be read"
echo launcher.exe SHA-256: %sha256%

rem The case that the signed copy runs (a variable in a block below takes
rem its value as the block is read).
set signed_case=
set /p signed_case=<signed\case.txt
call :run logic-tests bin\launcher_logic_tests.exe
if defined filter (
  call :run end-to-end bin\launcher_e2e.exe "--gtest_filter=%filter%"
  echo == signed-copy: left out, as a filter was given
) else (
  call :run end-to-end bin\launcher_e2e.exe
  call :run signed-copy signed\bin\launcher_e2e.exe "--gtest_filter=%signed_case%"
)

echo.
echo launcher.exe SHA-256: %sha256%
echo %passed% passed, %failed% failed, %skipped% skipped
if defined switched chcp %console% >nul 2>&1
if %failed% neq 0 exit /b 1
exit /b 0

rem Runs one program, NAME PROGRAM [ARGUMENT], and adds up its counts. An
rem argument with "=" in it is quoted: cmd splits arguments there.
:run
set "log=results\%~1.log"
echo.
echo == %~1: %~2 %~3
"%~2" %3 >"%log%" 2>&1
set code=%errorlevel%
type "%log%"
set p=0
set f=0
set s=0
rem Only GoogleTest's closing lines are read ("[  PASSED  ] 5 tests.", and
rem "[  FAILED  ] 2 tests, listed below:", the same with SKIPPED), picked by
rem find (Wine has no findstr) from its input, which it prints no file name
rem for: no other line of a program's output, quotes and all, comes near a
rem command.
for /f "tokens=4" %%n in ('find "[  PASSED  ]" ^<"%log%"') do set "p=%%n"
for /f "tokens=4" %%n in ('find "[  FAILED  ]" ^<"%log%" ^| find ", listed below:"') do set "f=%%n"
for /f "tokens=4" %%n in ('find "[  SKIPPED ]" ^<"%log%" ^| find ", listed below:"') do set "s=%%n"
if %code% neq 0 if %f%==0 set f=1
set /a ran=p+f+s
if %ran%==0 set f=1
set /a passed+=p, failed+=f, skipped+=s
echo == %~1: %p% passed, %f% failed, %s% skipped (exit code %code%)
goto :eof
