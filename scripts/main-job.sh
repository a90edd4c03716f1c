#!/bin/sh
# Builds launcher.exe and runs its main job under Wine: the stand-in
# application manager registered in a throwaway prefix, a sample install
# list, the primary suite window open, and the launcher started on the list.
# Installs what is missing first.
#   scripts/main-job.sh            a list without a settling pause
#   scripts/main-job.sh --pause    PlotterCAB.ini: held until 60 s after the launch
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

"$top/scripts/setup.sh"
cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686 --target launcher main_job desktop_windows -j "$(nproc)" >/dev/null
build=$top/build/mingw-i686
exe=$build/bin/launcher.exe
echo "built $exe ($(wc -c <"$exe") bytes)"

echo "starting Wine (a prefix of its own in $build/wineprefix, an Xvfb display)..."
"$top/tools/harness/wine-session.sh" start "$build"
trap '"$top/tools/harness/wine-session.sh" stop "$build"' EXIT
(cd "$build" && "$top/cmake/wine-run.sh" "$build/bin/main_job.exe" "$@")
