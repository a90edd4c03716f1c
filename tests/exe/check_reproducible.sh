#!/bin/sh
# Two clean builds give the same launcher.exe, byte for byte; and the
# committed icon is what its script draws.
#   check_reproducible.sh SOURCE_DIR BUILT_EXE PYTHON
set -eu
source_dir=$1
built=$2
python=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake -S "$source_dir" -B "$scratch/build" \
  -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$scratch/build" --target launcher >/dev/null
if cmp "$built" "$scratch/build/bin/launcher.exe"; then
  echo "ok    a second clean build is byte-identical ($(wc -c <"$built") bytes)"
else
  echo "FAIL  a second clean build differs"
  exit 1
fi

"$python" "$source_dir/res/make_icon.py" "$scratch/launcher.ico"
if cmp "$source_dir/res/launcher.ico" "$scratch/launcher.ico"; then
  echo "ok    res/launcher.ico is what res/make_icon.py draws"
else
  echo "FAIL  res/launcher.ico is out of date: run res/make_icon.py res/launcher.ico"
  exit 1
fi
