#!/bin/sh
# Builds the fuzz targets (clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 30), starting
# from the committed seeds in tests/fuzz/corpus. A crash stops with the input
# that caused it in build/fuzz; make it a case of the unit tests.
#   scripts/fuzz.sh [SECONDS]       scripts/fuzz.sh 3600   for an hour each
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
out=$top/build/fuzz
mkdir -p "$out"
# The logic's sources as CMake lists them, relative to the checkout (the host
# build writes the list).
sources=$top/build/host/launcher-logic-sources.txt
[ -f "$sources" ] || (cd "$top" && cmake --preset host >/dev/null)

for target in command_tail install_command; do
  exe=$out/fuzz_$target
  (cd "$top" && clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all -I src -o "$exe" "tests/fuzz/fuzz_$target.cpp" $(cat "$sources"))
  # New inputs go to a scratch corpus; the committed seeds stay as they are.
  corpus=$out/corpus_$target
  mkdir -p "$corpus"
  log=$out/fuzz_$target.log
  if ! (cd "$out" && "$exe" -max_total_time="$seconds" -print_final_stats=1 \
          "$corpus" "$top/tests/fuzz/corpus/$target" >"$log" 2>&1); then
    tail -n 40 "$log"
    echo "== fuzz $target: FAILED (see $log)"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "== fuzz $target: $runs executions in $seconds s, no finding"
done
