#!/bin/sh
# Signs a copy of launcher.exe with a throwaway code-signing certificate made
# here, checks the signature against that certificate (and that it fails
# against another), then checks the signed copy as a file and runs one
# end-to-end case with it under Wine.
#   check_signing.sh SOURCE_DIR BUILT_EXE PYTHON VERSION BUILD_DIR [RUNNER]
# RUNNER starts a Windows program (wine-run.sh from Linux); without it the
# program is started directly.
set -eu
source_dir=$1
built=$2
python=$3
version=$4
build_dir=$5
runner=${6:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$source_dir/tests/exe/throwaway_certificate.sh" "$scratch" signer
"$source_dir/tests/exe/throwaway_certificate.sh" "$scratch" stranger
LAUNCHER_SIGN_PFX=$scratch/signer.pfx LAUNCHER_SIGN_PASSWORD_FILE=$scratch/password \
  "$source_dir/scripts/sign.sh" "$built" "$scratch/launcher.exe"
echo "signed: $(wc -c <"$built") bytes, with the signature $(wc -c <"$scratch/launcher.exe")"

osslsigncode verify -CAfile "$scratch/signer.pem" -in "$scratch/launcher.exe" >"$scratch/verify" 2>&1 ||
  { cat "$scratch/verify"; echo "FAIL  the signature does not verify"; exit 1; }
grep -E "Signer's certificate:|Subject:|Message digest algorithm|Signature verification" "$scratch/verify" |
  sed 's/^/      /'
echo "ok    the signature verifies against the signing certificate"
if osslsigncode verify -CAfile "$scratch/stranger.pem" -in "$scratch/launcher.exe" >/dev/null 2>&1; then
  echo "FAIL  the signature verifies against an unrelated certificate too"
  exit 1
fi
echo "ok    and not against an unrelated one"

checks=0
"$python" "$source_dir/tests/exe/check_exe.py" "$scratch/launcher.exe" \
  "$source_dir/res/launcher.ico" "$source_dir/res/launcher.manifest" "$version" \
  >"$scratch/checks" || checks=$?
grep -v '^      ' "$scratch/checks"
[ "$checks" -eq 0 ]

# The end-to-end programs beside the signed copy (under Wine, in the build
# tree's session).
staging=$build_dir/signed
rm -rf "$staging"
mkdir -p "$staging/bin"
for program in launcher_e2e stand_in_manager desktop_windows; do
  cp "$build_dir/bin/$program.exe" "$staging/bin/"
done
cp "$scratch/launcher.exe" "$staging/bin/"
cd "$staging"
${runner:+"$runner"} bin/launcher_e2e.exe \
  --gtest_filter=LauncherTest.StartsTheRegisteredModuleWithTheComposedCommandLine
