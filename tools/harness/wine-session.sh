#!/bin/sh
# Starts or stops the Wine session that the Windows-side tests of one build
# tree share: a Wine prefix of their own, an Xvfb display, a wineserver kept
# alive for the whole run, and, on machines that cannot run 32-bit Linux
# programs natively, the helper that lets Wine's 32-bit loader start quickly
# under the emulator (tools/wine32-on-qemu).
#   wine-session.sh start BUILD_DIR     writes BUILD_DIR/wine-session.env
#   wine-session.sh stop BUILD_DIR
#   wine-session.sh run BUILD_DIR SECONDS PROGRAM [ARG...]
#                                       runs one program that needs no display
#                                       in a session of its own, for at most
#                                       SECONDS, and stops the session
set -eu
action=$1
build=$(cd "$2" && pwd)
shift 2
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
env_file=$build/wine-session.env

stop() {
  if [ -f "$env_file" ]; then
    . "$env_file"
    unset LD_PRELOAD # its folder goes before the last command here
    wineserver -k 2>/dev/null || true
    if [ -n "${LAUNCHER_XVFB_PID:-}" ]; then kill "$LAUNCHER_XVFB_PID" 2>/dev/null || true; fi
    if [ -n "${LAUNCHER_PRELOAD_DIR:-}" ]; then rm -rf "$LAUNCHER_PRELOAD_DIR"; fi
    rm -f "$env_file"
  fi
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi
stop

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No prompts to install Wine's .NET or HTML engines: nothing here needs them;
# and no debugger left waiting on a program that crashed.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# LD_PRELOAD splits at blanks and colons, with no way to escape one: the
# helper is built into a private folder of /tmp, whatever the build tree's path.
preload_dir=
if "$source_dir/tools/wine32-on-qemu/in-use.sh"; then
  preload_dir=$(mktemp -d /tmp/wine32-on-qemu.XXXXXX)
  "$source_dir/tools/wine32-on-qemu/build.sh" "$preload_dir"
  export LD_PRELOAD="$preload_dir/\$LIB/noreplace.so"
fi
# The environment is kept from here on, so stop finds what start made; each
# value in single quotes, any of its own written as '\''.
keep() { printf "export %s='%s'\n" "$1" "$(printf '%s' "$2" | sed "s/'/'\\\\''/g")" >>"$env_file"; }
: >"$env_file"
keep WINEPREFIX "$WINEPREFIX"
keep WINEDEBUG "$WINEDEBUG"
keep WINEDLLOVERRIDES "$WINEDLLOVERRIDES"
if [ -n "$preload_dir" ]; then
  keep LD_PRELOAD "$LD_PRELOAD"
  keep LAUNCHER_PRELOAD_DIR "$preload_dir"
  keep LAUNCHER_EMULATOR "$(qemu-i386-static --version | head -1)" # for the benchmark's machine
fi

if [ "$action" = run ]; then
  trap stop EXIT
  limit=$1
  shift
  timeout -k 10 "$limit" wine "$@" </dev/null # its failure ends this script with its code
  exit 0
fi

# A display of our own; Xvfb picks a free number and tells it on fd 3.
display_file=$build/xvfb-display
rm -f "$display_file"
setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$display_file" \
  </dev/null >/dev/null 2>"$build/xvfb.log" &
xvfb_pid=$!
tries=0
while [ ! -s "$display_file" ]; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ]; then echo "Xvfb did not start: $(cat "$build/xvfb.log")" >&2; exit 1; fi
  sleep 0.1
done
export DISPLAY=":$(cat "$display_file")"

setsid wineserver -p </dev/null >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i </dev/null >/dev/null 2>&1
  # Without a window manager, Wine waits for one whenever a minimized managed
  # window goes away; unmanaged windows spare the tests that wait.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
# Wine's own services start with the first program of a session and inherit
# its standard handles; started here, they hold none of a test's output
# pipes, which would keep the test runner waiting after the test has ended.
wine wineboot </dev/null >/dev/null 2>&1

# Drive T: is a folder of the build tree, so a drive root can be a current
# directory. Drive W: is the build tree itself, and the tests' work folder
# W:\e2e-root: the paths that the launcher is handed then hold none of the
# checkout path's characters, such as a '%', which it refuses in a path.
mkdir -p "$build/e2e-root/drive-t"
ln -sfn "$build/e2e-root/drive-t" "$WINEPREFIX/dosdevices/t:"
ln -sfn "$build" "$WINEPREFIX/dosdevices/w:"
keep LAUNCHER_WORK_ROOT 'W:\e2e-root'

keep DISPLAY "$DISPLAY"
keep LAUNCHER_XVFB_PID "$xvfb_pid"
