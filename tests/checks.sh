# The words of the shell checks, sourced by them: "ok    ..." for what holds,
# "FAIL  ..." and exit code 1 for the first thing that does not.
ok() { echo "ok    $*"; }
fail() { echo "FAIL  $*"; exit 1; }
