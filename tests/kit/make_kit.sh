#!/bin/sh
# Fills the Windows test kit's folder and zips it beside the folder, with
# fixed times and order (scripts/bundle.py), so that the same sources give the
# same kit:
#   bin/        launcher.exe, the logic's tests, the end-to-end suite and its
#               helpers, the benchmark and what it measures
#   nsis/, inno/, msi/
#               the installers built from the guide's scripts, each that was
#               built
#   signed/     bin/launcher.exe signed with a throwaway certificate, beside
#               the end-to-end programs that run it; the certificate,
#               signer.pem; and case.txt, the end-to-end case to run with it
#   run-tests.cmd and run-bench.cmd, the drivers
#   make_kit.sh SOURCE_DIR KIT_DIR PYTHON CASE KIND=INSTALLER... -- PROGRAM.exe...
set -eu
source_dir=$1
kit=$2
python=$3
signed_case=$4
shift 4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

rm -rf "$kit"
mkdir -p "$kit/bin" "$kit/signed/bin"
while [ "$1" != -- ]; do
  mkdir -p "$kit/${1%%=*}"
  cp "${1#*=}" "$kit/${1%%=*}/"
  shift
done
shift
cp "$@" "$kit/bin/"
for driver in run-tests.cmd run-bench.cmd; do # cmd reads CRLF lines
  sed "s/\r*$/\r/" "$source_dir/tests/kit/$driver" >"$kit/$driver"
done

"$source_dir/tests/exe/throwaway_certificate.sh" "$scratch" signer
LAUNCHER_SIGN_PFX=$scratch/signer.pfx LAUNCHER_SIGN_PASSWORD_FILE=$scratch/password \
  "$source_dir/scripts/sign.sh" "$kit/bin/launcher.exe" "$kit/signed/bin/launcher.exe" >/dev/null
cp "$scratch/signer.pem" "$kit/signed/"
printf '%s\r\n' "$signed_case" >"$kit/signed/case.txt" # cmd reads CRLF lines
for program in launcher_e2e stand_in_manager desktop_windows; do
  cp "$kit/bin/$program.exe" "$kit/signed/bin/"
done

cd "$kit"
set --
for file in $(find . -type f | sed 's|^\./||' | LC_ALL=C sort); do
  set -- "$@" "$file=$kit/$file"
done
"$python" "$source_dir/scripts/bundle.py" "$kit.zip" "$@"
