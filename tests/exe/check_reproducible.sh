#!/bin/sh
# Two clean builds give the same launcher.exe, the same release zip and the
# same test kit, byte for byte (but for the kit's signed copy and its MSI,
# below); and the committed icon is what its script draws.
#   check_reproducible.sh SOURCE_DIR BUILD_DIR PYTHON [CONFIGURE_ARGUMENTS...]
# The arguments make the second build as the first was made (its toolchain
# file).
set -eu
source_dir=$1
build=$2
built=$build/bin/launcher.exe
python=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake -S "$source_dir" -B "$scratch/build" "$@" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$scratch/build" --target launcher windows-test-kit -j "$(nproc)" >/dev/null
if cmp "$built" "$scratch/build/bin/launcher.exe"; then
  echo "ok    a second clean build is byte-identical ($(wc -c <"$built") bytes)"
else
  echo "FAIL  a second clean build differs"
  exit 1
fi

# The release bundle of each build.
export PYTHON="$python"
"$source_dir/scripts/release.sh" "$build" "$scratch/dist-first" >/dev/null
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
grep -qx 'LICENSE: OK' "$scratch/sums" || { echo "FAIL  the release zip holds no LICENSE"; exit 1; }

# The two test kits: every file the same, and each signed copy, without its
# signature, the very launcher.exe.
for kit in first second; do
  mkdir "$scratch/kit-$kit"
  zip=$build/windows-test-kit.zip
  [ $kit = first ] || zip=$scratch/build/windows-test-kit.zip
  (cd "$scratch/kit-$kit" && "$python" -m zipfile -e "$zip" . && sha256sum -c --quiet SHA256SUMS) ||
    { echo "FAIL  the $kit test kit's SHA256SUMS"; exit 1; }
  if [ -f "$scratch/kit-$kit/signed/bin/launcher.exe" ]; then
    osslsigncode remove-signature -in "$scratch/kit-$kit/signed/bin/launcher.exe" \
      -out "$scratch/unsigned-$kit.exe" >/dev/null
    cmp "$scratch/unsigned-$kit.exe" "$built" ||
      { echo "FAIL  the $kit test kit's signed copy is not launcher.exe signed"; exit 1; }
  fi
done
# Left out: the signed copies (each build signs with a throwaway certificate
# of its own) and the MSI, whose package and product codes are new GUIDs at
# each build (as WiX makes them for Id="*") and whose summary information
# holds the time it was built.
if diff -r -x SHA256SUMS -x launcher.exe "$scratch/kit-first/signed" "$scratch/kit-second/signed" >/dev/null &&
  diff -r -x SHA256SUMS -x signed -x example-installer.msi "$scratch/kit-first" "$scratch/kit-second"; then
  echo "ok    the two builds' test kits are the same ($(wc -c <"$build/windows-test-kit.zip") bytes zipped)," \
    "but for the signed copies, each launcher.exe with a signature of its build's own, and the MSI," \
    "whose package and product codes are new at each build and which holds its build time"
else
  echo "FAIL  the two builds' test kits differ"
  exit 1
fi

"$python" "$source_dir/res/make_icon.py" "$scratch/launcher.ico"
if cmp "$source_dir/res/launcher.ico" "$scratch/launcher.ico"; then
  echo "ok    res/launcher.ico is what res/make_icon.py draws"
else
  echo "FAIL  res/launcher.ico is out of date: run res/make_icon.py res/launcher.ico"
  exit 1
fi
