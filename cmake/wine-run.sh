#!/bin/sh
# Runs a Windows program under Wine in the test session of the build tree it
# is started from (prefix, X display, and on machines without 32-bit Linux
# support the emulator's helper): see tools/harness/wine-session.sh.
dir=$(pwd)
while [ "$dir" != / ] && [ ! -f "$dir/wine-session.env" ]; do dir=$(dirname "$dir"); done
if [ -f "$dir/wine-session.env" ]; then
  . "$dir/wine-session.env"
fi
exec wine "$@"
