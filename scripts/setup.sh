#!/bin/sh
# Installs what building and testing the launcher need on Debian 12, when it
# is missing: run as root it installs; run as anyone else it prints the exact
# commands to run and stops.
#
# Wine's 32-bit half is made of 32-bit Linux programs. On a machine whose
# kernel does not run those (some virtual machines), the emulator qemu-i386 is
# registered for them instead, and tools/wine32-on-qemu makes Wine start
# quickly under it.
set -eu

packages="cmake g++ make locales libgtest-dev googletest python3 python3-pefile \
clang libclang-rt-14-dev clang-tidy clang-format cppcheck valgrind nsis osslsigncode openssl \
wixl msitools \
g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 wine64 xvfb xauth"
emulator_packages="qemu-user-static gcc-multilib"
binfmt=/proc/sys/fs/binfmt_misc
register=":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F"

missing() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || printf '%s ' "$p"
  done
}

# The 32-bit dynamic loader is the smallest 32-bit program at hand.
runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# Prints the commands, or runs them as root.
carry_out() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "$1 As root, run:" >&2
    shift
    for c in "$@"; do printf '  %s\n' "$c" >&2; done
    echo "then run this command again." >&2
    exit 1
  fi
  shift
  for c in "$@"; do
    printf '+ %s\n' "$c"
    sh -c "$c" >/dev/null
  done
}

install="DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends"

# 1. The packages.
todo=$(missing $packages)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  carry_out "Wine's 32-bit packages need the i386 architecture and these packages: $todo." \
    "dpkg --add-architecture i386" "apt-get update" "$install $todo"
elif [ -n "$todo" ]; then
  carry_out "Missing packages: $todo." "apt-get update" "$install $todo"
fi

# 2. 32-bit programs, natively or through the emulator.
if [ -f "$binfmt/qemu-i386" ] || ! runs_32bit; then
  todo=$(missing $emulator_packages)
  steps=
  [ -z "$todo" ] || steps="$install $todo"
  if [ ! -f "$binfmt/qemu-i386" ]; then
    set -- "mountpoint -q $binfmt || mount -t binfmt_misc binfmt_misc $binfmt" \
      "printf '%s\\n' '$register' >$binfmt/register"
  else
    set --
  fi
  if [ -n "$steps" ] || [ $# -gt 0 ]; then
    if [ -n "$steps" ]; then set -- "apt-get update" "$steps" "$@"; fi
    carry_out "This kernel does not run 32-bit programs: Wine needs the emulator qemu-i386 for them." "$@"
  fi
  runs_32bit || { echo "32-bit programs still do not run, even with qemu-i386 registered." >&2; exit 1; }
fi

# 3. Node's package manager, for the workflow validator below (any Node will
#    do; Debian's when there is none).
if ! command -v npm >/dev/null 2>&1; then
  carry_out "The workflow validator needs Node and npm." "apt-get update" "$install nodejs npm"
fi

# 4. The validator of the Windows workflow and Inno Setup's compiler (which
#    runs under Wine), at fixed versions, into the build tree.
tools=$(cd "$(dirname "$0")/.." && pwd)/build/tools
if [ ! -x "$tools/node_modules/.bin/action-validator" ] ||
  [ ! -f "$tools/node_modules/innosetup/bin/ISCC.exe" ]; then
  mkdir -p "$tools"
  npm install --no-audit --no-fund --prefix "$tools" @action-validator/cli@0.6.0 innosetup@6.4.1 >/dev/null
fi
