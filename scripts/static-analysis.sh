#!/bin/sh
# Static analysis: the formatting of every tracked C++ file against
# .clang-format, and the launcher's own code (src/) by clang-tidy against
# .clang-tidy and by cppcheck. Zero findings pass; each suppression is
# explained where it stands.
#   static-analysis.sh HOST_BUILD_DIR MINGW_BUILD_DIR   (both configured)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
host_build=$1
mingw_build=$2
cd "$top"
# The sources as CMake lists them for the builds.
logic=$(cat "$host_build/launcher-logic-sources.txt")
win32=$(cat "$mingw_build/launcher-win32-sources.txt")

# clang-tidy, less its counts of the warnings it suppressed in headers
# ("16572 warnings generated."), which are no findings.
tidy() {
  status=0
  out=$(clang-tidy --quiet "$@" 2>&1) || status=$?
  printf '%s\n' "$out" | grep -v '^[0-9]* warnings\? generated\.$' || true
  return $status
}

echo "-- clang-format: every tracked C++ file"
clang-format --dry-run -Werror $(git ls-files '*.cpp' '*.h')

# The builds' compile commands, as clang-tidy reads them: CMake's Ninja
# generator writes a '$' of the checkout's path as Ninja wants it, '$$'.
db=$(mktemp -d)
trap 'rm -rf "$db"' EXIT
commands() { # commands NAME BUILD [SED-EXPRESSION...]
  name=$1
  build=$2
  shift 2
  mkdir -p "$db/$name"
  sed -e 's/\$\$/$/g' "$@" "$build/compile_commands.json" >"$db/$name/compile_commands.json"
}

echo "-- clang-tidy: the portable logic"
commands host "$host_build"
tidy -p "$db/host" $logic

echo "-- clang-tidy: the Win32 layer, as the i686 mingw-w64 compiler sees it"
set --
for dir in $(echo | i686-w64-mingw32-g++-posix -E -x c++ - -v 2>&1 |
             sed -n '/#include <...> search starts here/,/End of search/p' | grep '^ /'); do
  set -- "$@" "--extra-arg=-isystem$dir"
done
# Less the GCC-only code-generation flags that clang does not know.
commands win32 "$mingw_build" -e 's/ -fno-tree-loop-distribute-patterns//' \
  -e 's/ -malign-data=abi//' -e 's/ -mpreferred-stack-boundary=2//'
tidy -p "$db/win32" --extra-arg=--target=i686-w64-mingw32 \
  --extra-arg=-nostdinc++ "$@" $win32

echo "-- cppcheck"
cppcheck --quiet --error-exitcode=1 --enable=warning,style,performance,portability \
  --std=c++17 --language=c++ --inline-suppr --library=windows -I src \
  --suppress=missingIncludeSystem \
  src
echo "static analysis: no findings"
