#!/bin/sh
# The end-to-end suite leaves a real machine as it found it:
# 1. a run of the suite is killed in the middle of a case, when the entry
#    holds the tests' own stand-in and a stand-in is planted in the device
#    center's folder; the next run finds the journals, puts the entry back
#    first, removes the planted stand-in, and there is again no entry;
# 2. with a "real" application manager registered, a case is skipped, and
#    the entry is never written: it is exactly what it was;
# 3. while a window with a suite title is open, the suite does not start and
#    names the window.
#   check_machine_guard.sh SOURCE_DIR BUILD_DIR
set -eu
source_dir=$1
build=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
run() { (cd "$build" && "$source_dir/cmake/wine-run.sh" "$@"); }
. "$source_dir/tests/checks.sh"

journal=$build/app-paths-journal.txt
case=ManagerIsFoundWhereWindowsPutIt
planted=$build/wineprefix/drive_c/windows/WindowsMobile
record=$build/e2e-root/record-$case.txt
rm -f "$journal" "$record"
run bin/app_paths.exe remove
run bin/app_paths.exe show >"$scratch/before"

(cd "$build" && exec "$source_dir/cmake/wine-run.sh" bin/launcher_e2e.exe \
  --gtest_filter="*.$case") >"$scratch/killed.log" 2>&1 &
pid=$!
tries=0
until [ -s "$record" ]; do # the stand-in has started: the case is under way
  tries=$((tries + 1))
  [ $tries -le 600 ] || { kill -KILL $pid; cat "$scratch/killed.log"; fail "the case never started"; }
  sleep 0.2
done
kill -KILL $pid
wait $pid 2>/dev/null || true
run bin/app_paths.exe show >"$scratch/killed"
! cmp -s "$scratch/before" "$scratch/killed" || fail "the entry was not the tests' own when the run was killed"
[ -f "$journal" ] || fail "the killed run left no journal"
[ -f "$planted/CEAppMgr.exe" ] || fail "the killed run had no stand-in planted in $planted"
ok "killed in the middle of $case, with the tests' own entry, a planted stand-in and the journals left"

run bin/launcher_e2e.exe --gtest_filter=-* >"$scratch/next.log" 2>&1 || { cat "$scratch/next.log"; fail "the next run failed"; }
run bin/app_paths.exe show >"$scratch/after"
cmp -s "$scratch/before" "$scratch/after" || { cat "$scratch/after"; fail "the entry is not what it was"; }
[ ! -f "$journal" ] || fail "the journal is still there"
[ ! -f "$journal.planted" ] || fail "the journal of planted paths is still there"
[ ! -e "$planted" ] || fail "the planted stand-in (or its folder) is still there"
grep -q "restored the App Paths entry" "$scratch/next.log" || fail "the next run did not say it restored"
ok "the next run put the entry back as it was (none), removed the planted stand-in and its folder, and the journals"

run bin/app_paths.exe set 'C:\Program Files\Real Sync\CEAPPMGR.EXE'
run bin/app_paths.exe show >"$scratch/real"
sed 's/^/      /' "$scratch/real"
run bin/launcher_e2e.exe --gtest_filter="*.$case" >"$scratch/real.log" 2>&1 ||
  { cat "$scratch/real.log"; fail "the run beside a real entry failed"; }
run bin/app_paths.exe show >"$scratch/after"
cmp -s "$scratch/real" "$scratch/after" || { cat "$scratch/after"; fail "the real entry was changed"; }
grep -q "belongs to an installation on this machine" "$scratch/real.log" ||
  { cat "$scratch/real.log"; fail "the case was not skipped with the reason"; }
[ ! -f "$journal" ] || fail "the journal is still there"
ok "beside a real entry the case was skipped, with the reason, and the entry is as it was"

(cd "$build" && exec "$source_dir/cmake/wine-run.sh" bin/desktop_windows.exe "Quellis Plotter") &
windows=$!
refused=false
for _ in 1 2 3 4 5 6 7 8 9 10; do
  status=0
  run bin/launcher_e2e.exe --gtest_filter=-* >"$scratch/refused.log" 2>&1 || status=$?
  if [ $status -eq 2 ]; then refused=true; break; fi
  sleep 1 # the window is not up yet
done
kill -KILL $windows
wait $windows 2>/dev/null || true
$refused || fail "the suite started beside an open suite window"
grep -q '"Quellis Plotter" is open' "$scratch/refused.log" || { cat "$scratch/refused.log"; fail "the refusal does not name the window"; }
ok "refused beside an open suite window: $(grep 'not started' "$scratch/refused.log")"
run bin/app_paths.exe remove
