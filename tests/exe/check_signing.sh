#!/bin/sh
# The test kit's signed copy of launcher.exe: its signature verifies against
# the kit's throwaway certificate and fails against another made here; it
# passes the checks of launcher.exe as a file; and it runs the kit's case for
# it end to end under Wine, from a copy of the kit's signed/ in the build tree.
#   check_signing.sh SOURCE_DIR BUILT_EXE PYTHON VERSION BUILD_DIR
set -eu
source_dir=$1
built=$2
python=$3
version=$4
build_dir=$5
signed=$build_dir/windows-test-kit/signed
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$source_dir/tests/checks.sh"

"$source_dir/tests/exe/throwaway_certificate.sh" "$scratch" stranger
echo "signed: $(wc -c <"$built") bytes, with the signature $(wc -c <"$signed/bin/launcher.exe")"
osslsigncode verify -CAfile "$signed/signer.pem" -in "$signed/bin/launcher.exe" >"$scratch/verify" 2>&1 ||
  { cat "$scratch/verify"; fail "the signature does not verify"; }
grep -E "Signer's certificate:|Subject:|Message digest algorithm|Signature verification" "$scratch/verify" |
  sed 's/^/      /'
ok "the signature verifies against the signing certificate"
! osslsigncode verify -CAfile "$scratch/stranger.pem" -in "$signed/bin/launcher.exe" >/dev/null 2>&1 ||
  fail "the signature verifies against an unrelated certificate too"
ok "and not against an unrelated one"

checks=0
"$python" "$source_dir/tests/exe/check_exe.py" "$signed/bin/launcher.exe" \
  "$source_dir/res/launcher.ico" "$source_dir/res/launcher.manifest" "$version" \
  >"$scratch/checks" || checks=$?
grep -v '^      ' "$scratch/checks"
[ "$checks" -eq 0 ]

staging=$build_dir/signed
rm -rf "$staging"
cp -r "$signed" "$staging"
cd "$staging"
"$source_dir/cmake/wine-run.sh" bin/launcher_e2e.exe --gtest_filter="$(tr -d '\r' <case.txt)"
