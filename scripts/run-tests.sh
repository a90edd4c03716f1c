#!/bin/sh
# Runs every test: the launcher's logic natively (GoogleTest, ASan + UBSan,
# then a plain build under valgrind),
# then launcher.exe itself (file checks, and end to end under Wine with Xvfb),
# then 30 s of fuzzing for each fuzz target, then the workflows by GitHub's
# own parser, then static analysis of the launcher's code.
# Installs what is missing first.
set -eu
. "$(dirname "$0")/steps.sh"
jobs=$(nproc)

step "set-up: what is missing is installed" "$top/scripts/setup.sh"

# The cases that a suite's last run skipped, each with the reason it printed
# (a case that runs the test kit's driver tells those of the kit's own cases).
skips() {
  awk '/^[0-9]+\/[0-9]+ Testing: / { test = $3 }
       /: Skipped$/ && (getline reason) > 0 { print "   skipped in " test ": " reason }' \
    "$top/build/$1/Testing/Temporary/LastTest.log"
}

suite() {
  step -q "configure the $1 build" configure "$1"
  step -q "build the $1 suite" cmake --build --preset "$1" -j "$jobs"
  step "run the $1 suite" ctest --preset "$1"
  skipped=$(skips "$1")
  echo "== suite $1: $(printf '%s' "$skipped" | awk 'END { print NR }') skipped"
  [ -z "$skipped" ] || printf '%s\n' "$skipped"
}

suite host
suite host-valgrind
suite mingw-i686

step "fuzz each target for 30 s" "$top/scripts/fuzz.sh" 30

# The workflows (the Windows runners', the release's), by GitHub's own
# parser: they cannot run here.
step "check the workflows with GitHub's parser" "$top/build/tools/node" \
  "$top/scripts/check-workflows.mjs" "$top/build/tools" "$top"/.github/workflows/*.yml

step "static analysis" "$top/scripts/static-analysis.sh" "$top/build/host" "$top/build/mingw-i686"
