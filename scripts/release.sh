#!/bin/sh
# Makes the release bundle dist/launcher-<version>-win32.zip: launcher.exe,
# launcher-check.exe, the guide for installation authors, the behaviour page it links to, the
# licence and SHA256SUMS. The same sources give
# the same zip, byte for byte. When LAUNCHER_SIGN_PFX is set (see
# scripts/sign.sh), the exe in the bundle is signed first; a signature made
# at another time is another signature, so only unsigned bundles compare.
#   scripts/release.sh [BUILD_DIR [DIST_DIR]]
# BUILD_DIR is a configured build tree for 32-bit Windows (by default the
# mingw-i686 preset's, configured here when it is missing); DIST_DIR is
# dist/ by default. PYTHON names the Python to use (python3 by default).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$top/build/mingw-i686}
dist_dir=${2:-$top/dist}

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  (cd "$top" && cmake --preset mingw-i686 >/dev/null)
fi
cmake --build "$build_dir" --target launcher launcher_check >/dev/null

version=$(head -n 1 "$top/VERSION")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
exe=$build_dir/bin/launcher.exe
if [ -n "${LAUNCHER_SIGN_PFX:-}" ]; then
  "$top/scripts/sign.sh" "$exe" "$scratch/launcher.exe" >/dev/null
  exe=$scratch/launcher.exe
fi

mkdir -p "$dist_dir"
zip=$dist_dir/launcher-$version-win32.zip
"${PYTHON:-python3}" "$top/scripts/bundle.py" "$zip" \
  "launcher.exe=$exe" \
  "launcher-check.exe=$build_dir/bin/launcher-check.exe" \
  "installation-authors.md=$top/docs/installation-authors.md" \
  "behaviour.md=$top/docs/behaviour.md" \
  "LICENSE=$top/LICENSE"
echo "$zip"
