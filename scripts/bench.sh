#!/bin/sh
# Builds and runs the benchmark under Wine: launcher.exe side by side with an
# NSIS launcher of the same kind and with the application manager started
# directly. Prints the table and writes it, with the machine it came from, to
# build/mingw-i686/bench/figures.md. Installs what is missing first.
#   scripts/bench.sh [--runs N]     (5 runs of each kind by default; about 5 min)
set -eu
. "$(dirname "$0")/steps.sh"

windows_build launcher bench
build=$top/build/mingw-i686
figures=$build/bench/figures.md
table=$build/bench/table.md
rm -f "$table"

wine_session
cd "$build" # where the Windows programs find the session
step "the benchmark" "$top/cmake/wine-run.sh" "$build/bin/bench.exe" --out "Z:$table" "$@"

emulator=""
if "$top/tools/wine32-on-qemu/in-use.sh"; then
  emulator=", 32-bit programs through $(qemu-i386-static --version | head -1)"
fi
{
  echo "Machine: $(nproc) cores ($(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)),"
  echo "Linux $(uname -r), $(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version)$emulator;"
  echo "$(makensis -VERSION | sed 's/^v/NSIS /'), taken $(date -u '+%Y-%m-%d %H:%M UTC')."
  echo
  cat "$table"
} >"$figures"
echo
echo "written to $figures"
