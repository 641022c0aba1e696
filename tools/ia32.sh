#!/usr/bin/env bash
# 32-bit programs on a machine whose kernel runs only 64-bit user code.
#
# Debian's Wine runs 32-bit Windows programs through its 32-bit loader, a
# 32-bit Linux program. Some kernels (IA-32 emulation switched off, or a host
# that runs 64-bit user code only) refuse every 32-bit program with "Exec
# format error", and then no test can start. This script registers QEMU's
# user-mode i386 emulator for 32-bit Linux programs with the kernel's binfmt_misc,
# so that they run emulated. The emulator comes from Debian's stable qemu-user
# package (a static build; the one of older Debian releases cannot reserve the
# address ranges Wine asks for and makes Wine spin at start-up); it is unpacked
# into /usr/local/lib/loopsmith without installing anything else of that release.
#
#   ia32.sh needed   exit 0 when 32-bit programs cannot run here (as things are now)
#   ia32.sh enable   makes them run (idempotent; as root)
set -euo pipefail

SUITE="${LOOPSMITH_QEMU_SUITE:-trixie}"
MIRROR="${LOOPSMITH_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
DIR=/usr/local/lib/loopsmith
QEMU="$DIR/qemu-i386"
BINFMT=/proc/sys/fs/binfmt_misc
# ELF, 32-bit, little endian, executable or shared object, machine i386.
MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

runs_32bit() {
  # Debian's 32-bit Wine loader is the program that has to run.
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

fetch_qemu() {
  [ -x "$QEMU" ] && return 0
  local tmp
  tmp="$(mktemp -d)"
  mkdir -p "$tmp/lists/partial" "$tmp/cache/archives/partial"
  echo "deb $MIRROR $SUITE main" > "$tmp/sources.list"
  chmod -R a+rwx "$tmp"
  local opts=(-o "Dir::Etc::SourceList=$tmp/sources.list" -o Dir::Etc::SourceParts=/dev/null
              -o "Dir::State::Lists=$tmp/lists" -o "Dir::Cache=$tmp/cache"
              -o APT::Architecture=amd64 -o APT::Architectures=amd64
              -o Acquire::Check-Valid-Until=false -q)
  echo "ia32: fetching the i386 user-mode emulator from Debian $SUITE's qemu-user"
  apt-get "${opts[@]}" update >/dev/null
  (cd "$tmp" && apt-get "${opts[@]}" download qemu-user >/dev/null 2>&1)
  dpkg-deb -x "$tmp"/qemu-user_*.deb "$tmp/x"
  mkdir -p "$DIR"
  install -m 755 "$tmp/x/usr/bin/qemu-i386" "$QEMU"
  rm -rf "$tmp"
}

enable() {
  runs_32bit && return 0
  fetch_qemu
  [ -e "$BINFMT/register" ] || mount -t binfmt_misc binfmt_misc "$BINFMT"
  # An entry for i386 that does not make the loader run (another emulator, or
  # one whose file is gone) is replaced.
  [ -e "$BINFMT/qemu-i386" ] && echo -1 > "$BINFMT/qemu-i386"
  # F: the kernel opens the emulator now, so it is found from any root.
  echo ":qemu-i386:M::$MAGIC:$MASK:$QEMU:F" > "$BINFMT/register"
  if ! runs_32bit; then
    echo "ia32: 32-bit programs still cannot run on this machine" >&2
    exit 1
  fi
  echo "ia32: 32-bit programs run through $QEMU"
}

case "${1:-}" in
  needed) ! runs_32bit ;;
  enable) enable ;;
  *) echo "usage: ia32.sh needed|enable" >&2; exit 2 ;;
esac
