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
. "$source_dir/tests/checks.sh"

cmake -S "$source_dir" -B "$scratch/build" "$@" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$scratch/build" --target launcher windows-test-kit -j "$(nproc)" >/dev/null
cmp "$built" "$scratch/build/bin/launcher.exe" || fail "a second clean build differs"
ok "a second clean build is byte-identical ($(wc -c <"$built") bytes)"

# The release bundle of each build.
export PYTHON="$python"
"$source_dir/scripts/release.sh" "$build" "$scratch/dist-first" >/dev/null
"$source_dir/scripts/release.sh" "$scratch/build" "$scratch/dist-second" >/dev/null
first=$(ls "$scratch"/dist-first/launcher-*-win32.zip)
cmp "$first" "$scratch"/dist-second/launcher-*-win32.zip || fail "the two builds' release zips differ"
ok "the two builds' release zips are byte-identical: $(basename "$first")," \
  "$(wc -c <"$first") bytes, SHA-256 $(sha256sum <"$first" | cut -d' ' -f1)"
(cd "$scratch" && "$python" -m zipfile -e "$first" unpacked && cd unpacked &&
  sha256sum -c SHA256SUMS >../sums) || { cat "$scratch/sums"; fail "SHA256SUMS"; }
sed 's/^/      /' "$scratch/sums"
grep -qx 'LICENSE: OK' "$scratch/sums" || fail "the release zip holds no LICENSE"

# The two test kits: every file the same, and each signed copy, without its
# signature, the very launcher.exe.
for kit in first second; do
  mkdir "$scratch/kit-$kit"
  zip=$build/windows-test-kit.zip
  [ $kit = first ] || zip=$scratch/build/windows-test-kit.zip
  (cd "$scratch/kit-$kit" && "$python" -m zipfile -e "$zip" . && sha256sum -c --quiet SHA256SUMS) ||
    fail "the $kit test kit's SHA256SUMS"
  if [ -f "$scratch/kit-$kit/signed/bin/launcher.exe" ]; then
    osslsigncode remove-signature -in "$scratch/kit-$kit/signed/bin/launcher.exe" \
      -out "$scratch/unsigned-$kit.exe" >/dev/null
    cmp "$scratch/unsigned-$kit.exe" "$built" ||
      fail "the $kit test kit's signed copy is not launcher.exe signed"
  fi
done
# Left out: the signed copies and their certificates (each build signs with
# a throwaway certificate of its own) and the MSI, whose package and product codes are new GUIDs at
# each build (as WiX makes them for Id="*") and whose summary information
# holds the time it was built.
diff -r -x SHA256SUMS -x launcher.exe -x signer.pem "$scratch/kit-first/signed" \
  "$scratch/kit-second/signed" >/dev/null &&
  diff -r -x SHA256SUMS -x signed -x example-installer.msi "$scratch/kit-first" "$scratch/kit-second" ||
  fail "the two builds' test kits differ"
ok "the two builds' test kits are the same ($(wc -c <"$build/windows-test-kit.zip") bytes zipped)," \
  "but for the signed copies, each launcher.exe with a signature (and certificate) of its build's" \
  "own, and the MSI, whose package and product codes are new at each build and which holds its" \
  "build time"

"$python" "$source_dir/res/make_icon.py" "$scratch/launcher.ico"
cmp "$source_dir/res/launcher.ico" "$scratch/launcher.ico" ||
  fail "res/launcher.ico is out of date: run res/make_icon.py res/launcher.ico"
ok "res/launcher.ico is what res/make_icon.py draws"
