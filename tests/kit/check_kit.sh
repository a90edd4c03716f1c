#!/bin/sh
# The test kit run as on Windows, under Wine: a copy of the kit in a folder
# whose name holds a blank and a "!", a fresh Wine prefix and display, and
# run-tests.cmd started by Wine's cmd from another folder. The driver must end
# with "N passed, 0 failed" and exit code 0, name launcher.exe's SHA-256, and
# print no error of cmd's own. With a FILTER it
# runs the logic's tests and those end-to-end cases only, which must not
# skip, and then once more with a launcher.exe that is no program, where it
# must report the failure. The copies lie in a private folder of /tmp, so
# that those cases find room for their commands below the kit's work folder
# however deep the build tree lies.
#   check_kit.sh SOURCE_DIR BUILD_DIR [FILTER]
set -eu
source_dir=$1
build=$2
filter=${3:-}
session=$source_dir/tools/harness/wine-session.sh
place=$build/kit-check # the session's own files live here
. "$source_dir/tests/checks.sh"

rm -rf "$place"
mkdir -p "$place"
kits=$(mktemp -d /tmp/kit-check.XXXXXX)
folder="a folder with a blank and a bang!"
mkdir -p "$kits/$folder"
"$session" start "$place"
trap '"$session" stop "$place"; rm -rf "$kits"' EXIT
. "$place/wine-session.env"
unset LAUNCHER_WORK_ROOT # the kit keeps its work folder beside itself, as on Windows

# drive KIT LOG: runs the driver of the kit in KIT, its output into LOG.
drive() {
  cp -r "$build/windows-test-kit" "$kits/$folder/$1"
  [ "$1" = windows-test-kit ] || printf 'not a program\n' >"$kits/$folder/$1/bin/launcher.exe"
  status=0
  (cd "$kits" && wine cmd /c "$folder\\$1\\run-tests.cmd" $filter) </dev/null >"$2" 2>&1 ||
    status=$?
  tr -d '\r' <"$2"
  summary=$(tr -d '\r' <"$2" | grep -E '^[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$' | tail -1)
}

drive windows-test-kit "$place/driver.log"
echo "$summary" | grep -Eq '^[1-9][0-9]* passed, 0 failed' || fail "the kit did not pass: ${summary:-no closing line}"
[ $status -eq 0 ] || fail "the driver's exit code is $status"
! grep -Eq 'Syntax error|was unexpected at this time' "$place/driver.log" ||
  fail "cmd reported an error of its own while running the driver"
sha=$(sha256sum <"$build/bin/launcher.exe" | cut -d' ' -f1)
grep -q "launcher.exe SHA-256: $sha" "$place/driver.log" || fail "the driver did not name launcher.exe's SHA-256 $sha"
ok "the kit passed through its driver: $summary, exit code 0, launcher.exe $sha"

[ -n "$filter" ] || exit 0
tr -d '\r' <"$place/driver.log" | grep -Eq '^== end-to-end: [1-9][0-9]* passed, 0 failed, 0 skipped' ||
  fail "the end-to-end cases of $filter did not all run, so a broken launcher.exe would prove nothing"
drive broken-kit "$place/broken.log" >/dev/null
echo "$summary" | grep -Eq '^[0-9]+ passed, [1-9][0-9]* failed' || fail "a broken launcher.exe went unreported: ${summary:-no closing line}"
[ $status -ne 0 ] || fail "the driver's exit code is 0 with a broken launcher.exe"
ok "with a launcher.exe that is no program the driver reports: $summary, exit code $status"
