#!/bin/sh
# Builds launcher.exe and runs its main job under Wine: the stand-in
# application manager registered in a throwaway prefix, a sample install
# list, and the launcher started on it. Installs what is missing first.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

"$top/scripts/setup.sh"
cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686 --target launcher main_job -j "$(nproc)" >/dev/null
build=$top/build/mingw-i686
exe=$build/bin/launcher.exe
echo "built $exe ($(wc -c <"$exe") bytes)"

echo "starting Wine (a prefix of its own in $build/wineprefix, an Xvfb display)..."
"$top/tools/harness/wine-session.sh" start "$build"
trap '"$top/tools/harness/wine-session.sh" stop "$build"' EXIT
(cd "$build" && "$top/cmake/wine-run.sh" "$build/bin/main_job.exe")
