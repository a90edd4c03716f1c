@echo off
rem The benchmark of the test kit: launcher.exe beside an NSIS launcher of the
rem same kind and a direct start of the stand-in application manager, each
rem figure the median of N runs (5 by default; about 5 minutes). It prints
rem the table and writes it, with the machine it came from, to figures.md
rem beside this file. It measures and never fails on a slow machine.
rem
rem   run-bench.cmd [--runs N] [--verbose]
rem
rem Run it as administrator, with no suite window open: the stand-in
rem is registered under HKEY_LOCAL_MACHINE (and the entry put back), and a
rem window of the primary suite is opened for the settling pause.
setlocal EnableExtensions
cd /d "%~dp0"
bin\bench.exe --machine --out figures.md %*
