#!/bin/sh
# Starts or stops the Wine session that the Windows-side tests of one build
# tree share: a Wine prefix of their own, an Xvfb display, a wineserver kept
# alive for the whole run, and, on machines that cannot run 32-bit Linux
# programs natively, the helper that lets Wine's 32-bit loader start quickly
# under the emulator (tools/wine32-on-qemu).
#   wine-session.sh start BUILD_DIR     writes BUILD_DIR/wine-session.env
#   wine-session.sh stop BUILD_DIR
set -eu
action=$1
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
env_file=$build/wine-session.env

stop() {
  if [ -f "$env_file" ]; then
    . "$env_file"
    wineserver -k 2>/dev/null || true
    if [ -n "${LAUNCHER_XVFB_PID:-}" ]; then kill "$LAUNCHER_XVFB_PID" 2>/dev/null || true; fi
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
# No prompts to install Wine's .NET or HTML engines: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="

preload=
if grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
  "$source_dir/tools/wine32-on-qemu/build.sh" "$build/wine32-on-qemu"
  preload="$build/wine32-on-qemu/\$LIB/noreplace.so"
  export LD_PRELOAD="$preload"
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
# directory.
mkdir -p "$build/e2e-root/drive-t"
ln -sfn "$build/e2e-root/drive-t" "$WINEPREFIX/dosdevices/t:"

{
  echo "export WINEPREFIX='$WINEPREFIX'"
  echo "export WINEDEBUG=-all"
  echo "export WINEDLLOVERRIDES='mscoree,mshtml='"
  echo "export DISPLAY='$DISPLAY'"
  echo "export LAUNCHER_XVFB_PID=$xvfb_pid"
  if [ -n "$preload" ]; then echo "export LD_PRELOAD='$preload'"; fi
} >"$env_file"
