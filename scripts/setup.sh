#!/bin/sh
# Installs what building and testing the launcher need on Debian 12, when it
# is missing: run as root it installs; run as anyone else it prints the exact
# commands to run and stops.
#   scripts/setup.sh          everything the two commands of the README need
#   scripts/setup.sh --kit    only what the Windows test kit and the release
#                             bundle need (mingw-w64, the installers' tools,
#                             Wine for Inno Setup's compiler, signing): what
#                             the workflows' build jobs install
#
# Wine's 32-bit half is made of 32-bit Linux programs. On a machine whose
# kernel does not run those (some virtual machines), the emulator qemu-i386 is
# registered for them instead, and tools/wine32-on-qemu makes Wine start
# quickly under it.
set -eu

# CMake cannot build in a folder whose path holds '#' (its build files take
# it for the start of a comment) or ';' (its list separator): such a checkout
# is refused before anything is installed.
checkout=$(cd "$(dirname "$0")/.." && pwd)
for c in '#' ';'; do
  case $checkout in *"$c"*)
    echo "The checkout's path holds '$c', which CMake cannot build in: clone it into a folder whose path has no '#' or ';'." >&2
    exit 2 ;;
  esac
done

kit_packages="cmake ninja-build python3 googletest nsis osslsigncode openssl wixl msitools \
g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 wine64"
packages="$kit_packages g++ locales libgtest-dev python3-pefile \
clang libclang-rt-14-dev clang-tidy clang-format cppcheck valgrind xvfb xauth"
case "${1:-}" in
  --kit) packages=$kit_packages ;;
  "") ;;
  *) echo "usage: $0 [--kit]" >&2; exit 2 ;;
esac
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

# apt, once a run: the package lists are read, then the packages installed.
# A mirror being synced answers "File has unexpected size ... Mirror sync in
# progress?" for an index, at times for days; the packages of two
# architectures then no longer match ("held broken packages"). The lists are
# read once more after a short pause, then the install goes on with what was
# read; when it fails while an index is missing, matching packages of both
# architectures come from the release's own suite (the codename), and that is
# said in one line. Only when that fails too does the set-up stop, with apt's
# own words.
updated=
unread=
update() {
  [ -z "$updated" ] || return 0
  updated=$(mktemp)
  trap 'rm -f "$updated"' EXIT
  for pause in 15 0; do
    if apt-get update >"$updated" 2>&1 && ! grep -q '^E: ' "$updated"; then
      unread=
      return 0
    fi
    # "Err:6 URL SUITE/COMPONENT ARCH Packages": the index, without its host.
    unread=$(awk '/^Err:/ { print $3 " " $4 " " $5; exit }' "$updated")
    [ -n "$unread" ] || unread="an index"
    [ "$pause" -eq 0 ] || sleep "$pause"
  done
}

apt_install() {
  update
  aptget="env $install"
  out=$($aptget "$@" 2>&1) && return 0
  if [ -n "$unread" ]; then
    release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    more=$($aptget -t "$release" "$@" 2>&1) && {
      echo "  Debian's archive did not give $unread in full (a mirror being synced): these packages came from $release's point release; a later 'apt-get upgrade' brings their security updates."
      return 0
    }
    out="$out
-- again from $release's point release:
$more"
  fi
  [ -z "$unread" ] || { cat "$updated"; echo "--"; } >&2
  printf '%s\n' "$out" >&2
  echo "apt could not install what is missing (its words above)." >&2
  exit 1
}

# Prints the commands, or runs them as root (apt's output is kept back unless
# a command fails).
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
    case $c in
      "apt-get update") update ;;
      "$install "*) apt_install ${c#"$install "} ;;
      *) out=$(sh -c "$c" 2>&1) || { printf '%s\n' "$out" >&2; exit 1; } ;;
    esac
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

# 3. Node's package manager, for Inno Setup's compiler and GitHub's workflow
#    parser (Debian's Node and npm when there is none).
if ! command -v npm >/dev/null 2>&1; then
  carry_out "Inno Setup's compiler and the workflows' check need Node and npm." "apt-get update" "$install nodejs npm"
fi

# 4. Inno Setup's compiler (which runs under Wine) and GitHub's own workflow
#    parser, at fixed versions, into the build tree; and build/tools/node, a
#    Node of version 20 or later, as the parser asks (Debian 12's is 18: there
#    Node 20 comes from npm too).
tools=$checkout/build/tools
node_package=node-linux-$(dpkg --print-architecture | sed 's/^amd64$/x64/')
npm_install() {
  mkdir -p "$tools"
  out=$(npm install --no-audit --no-fund --prefix "$tools" "$@" 2>&1) || { printf '%s\n' "$out" >&2; exit 1; }
}
if [ ! -f "$tools/node_modules/@actions/workflow-parser/package.json" ] ||
  [ ! -f "$tools/node_modules/innosetup/bin/ISCC.exe" ]; then
  npm_install @actions/workflow-parser@0.3.61 innosetup@6.4.1
fi
if [ "$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)" -ge 20 ]; then
  ln -sf "$(command -v node)" "$tools/node"
else
  [ -x "$tools/node_modules/$node_package/bin/node" ] || npm_install "$node_package@20.20.2"
  ln -sf "$tools/node_modules/$node_package/bin/node" "$tools/node"
fi
