#!/bin/sh
# Two clean builds give the same launcher.exe and the same release zip, byte
# for byte; and the committed icon is what its script draws.
#   check_reproducible.sh SOURCE_DIR BUILT_EXE PYTHON [CONFIGURE_ARGUMENTS...]
# The arguments make the second build as the first was made (its toolchain
# file, or its generator).
set -eu
source_dir=$1
built=$2
python=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake -S "$source_dir" -B "$scratch/build" "$@" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$scratch/build" --target launcher >/dev/null
if cmp "$built" "$scratch/build/bin/launcher.exe"; then
  echo "ok    a second clean build is byte-identical ($(wc -c <"$built") bytes)"
else
  echo "FAIL  a second clean build differs"
  exit 1
fi

# The release bundle of each build.
export PYTHON="$python"
"$source_dir/scripts/release.sh" "$(dirname "$(dirname "$built")")" "$scratch/dist-first" >/dev/null
"$source_dir/scripts/release.sh" "$scratch/build" "$scratch/dist-second" >/dev/null
first=$(ls "$scratch"/dist-first/launcher-*-win32.zip)
if cmp "$first" "$scratch"/dist-second/launcher-*-win32.zip; then
  echo "ok    the two builds' release zips are byte-identical: $(basename "$first")," \
    "$(wc -c <"$first") bytes, SHA-256 $(sha256sum <"$first" | cut -d' ' -f1)"
else
  echo "FAIL  the two builds' release zips differ"
  exit 1
fi
(cd "$scratch" && "$python" -m zipfile -e "$first" unpacked && cd unpacked &&
  sha256sum -c SHA256SUMS >../sums) || { cat "$scratch/sums"; echo "FAIL  SHA256SUMS"; exit 1; }
sed 's/^/      /' "$scratch/sums"

"$python" "$source_dir/res/make_icon.py" "$scratch/launcher.ico"
if cmp "$source_dir/res/launcher.ico" "$scratch/launcher.ico"; then
  echo "ok    res/launcher.ico is what res/make_icon.py draws"
else
  echo "FAIL  res/launcher.ico is out of date: run res/make_icon.py res/launcher.ico"
  exit 1
fi
