#!/bin/sh
# Runs every test: the launcher's logic natively (GoogleTest, ASan + UBSan,
# then a plain build under valgrind),
# then launcher.exe itself (file checks, and end to end under Wine with Xvfb),
# then 30 s of fuzzing for each fuzz target, then the workflows by GitHub's
# own parser, then static analysis of the launcher's code.
# Installs what is missing first.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)

"$top/scripts/setup.sh"

# The cases that a suite's last run skipped, each with the reason it printed
# (a case that runs the test kit's driver tells those of the kit's own cases).
skips() {
  awk '/^[0-9]+\/[0-9]+ Testing: / { test = $3 }
       /: Skipped$/ && (getline reason) > 0 { print "   skipped in " test ": " reason }' \
    "$top/build/$1/Testing/Temporary/LastTest.log"
}

suite() {
  preset=$1
  start=$(date +%s)
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" >/dev/null
  ctest --preset "$preset"
  skipped=$(skips "$preset")
  echo "== suite $preset: $(( $(date +%s) - start )) s wall time," \
    "$(printf '%s' "$skipped" | awk 'END { print NR }') skipped"
  [ -z "$skipped" ] || printf '%s\n' "$skipped"
}

suite host
suite host-valgrind
suite mingw-i686

"$top/scripts/fuzz.sh" 30

# The workflows (the Windows runners', the release's), by GitHub's own
# parser: they cannot run here.
node "$top/scripts/check-workflows.mjs" "$top/build/tools" "$top"/.github/workflows/*.yml
echo "== workflows: valid"

start=$(date +%s)
"$top/scripts/static-analysis.sh" "$top/build/host" "$top/build/mingw-i686"
echo "== static analysis: $(( $(date +%s) - start )) s wall time"
