# Steps of the project's commands, sourced by them: each step says what it
# does as it starts and how long it took as it ends, and while it runs a line
# every 30 s says that it still does, so that no minute passes in silence.
#   step LABEL COMMAND [ARG...]      the command's own output shown as it comes
#   step -q LABEL COMMAND [ARG...]   its output kept back, and shown in full
#                                    only when it fails
#   configure PRESET                 the preset's build configured
#   windows_build TARGET...          the set-up, then the mingw-i686 preset
#                                    configured and TARGET... built
#   wine_session                     the build tree's Wine session started,
#                                    and stopped when the command ends
# Sourced, it sets `top`, the checkout's folder, from where the command lies,
# and goes there; a failed step ends the command with the step's exit code.
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

step() {
  quiet=
  if [ "$1" = -q ]; then quiet=1; shift; fi
  label=$1
  shift
  echo "== $label"
  started=$(date +%s)
  # The reminder's sleep ends with it, so nothing is left behind.
  (trap 'kill $nap 2>/dev/null; exit 0' TERM
   while :; do
     sleep 30 & nap=$!
     wait $nap
     echo "   ... $label: $(( $(date +%s) - started )) s so far"
   done) &
  reminder=$!
  status=0
  if [ -n "$quiet" ]; then
    output=$(mktemp)
    "$@" >"$output" 2>&1 || status=$?
    [ $status -eq 0 ] || cat "$output"
    rm -f "$output"
  else
    "$@" || status=$?
  fi
  kill $reminder 2>/dev/null || true
  wait $reminder 2>/dev/null || true
  took=$(( $(date +%s) - started ))
  if [ $status -ne 0 ]; then
    echo "== $label: FAILED after $took s (exit code $status)"
    exit $status
  fi
  echo "== $label: done in $took s"
}

# Configures the build of a preset; a build tree that another generator made
# (before the presets named Ninja) is made anew.
configure() {
  cache=$top/build/$1/CMakeCache.txt
  if [ -f "$cache" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
    rm -rf "${top:?}/build/$1"
  fi
  cmake --preset "$1"
}

windows_build() {
  step "set-up: what is missing is installed" "$top/scripts/setup.sh"
  step -q "configure the mingw-i686 build" configure mingw-i686
  step -q "build $*" cmake --build --preset mingw-i686 -j "$(nproc)" --target "$@"
}

wine_session() {
  step -q "start Wine (a prefix of its own, an Xvfb display)" \
    "$top/tools/harness/wine-session.sh" start "$top/build/mingw-i686"
  trap '"$top/tools/harness/wine-session.sh" stop "$top/build/mingw-i686"' EXIT
}
