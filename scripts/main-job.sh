#!/bin/sh
# Builds launcher.exe and runs its main job under Wine: the stand-in
# application manager registered in a throwaway prefix, a sample install
# list, the primary suite window open, and the launcher started on the list.
# Installs what is missing first.
#   scripts/main-job.sh            a list without a settling pause
#   scripts/main-job.sh --pause    PlotterCAB.ini: held until 60 s after the launch
set -eu
. "$(dirname "$0")/steps.sh"

windows_build launcher main_job desktop_windows
build=$top/build/mingw-i686
exe=$build/bin/launcher.exe
echo "launcher.exe: $exe ($(wc -c <"$exe") bytes)"
wine_session
cd "$build" # where the Windows programs find the session
step "the main job" "$top/cmake/wine-run.sh" "$build/bin/main_job.exe" "$@"
