#!/usr/bin/env bash
# Installs what building and testing Loopsmith needs on a Debian-like machine.
# Idempotent: packages already present are not installed again.
set -euo pipefail

PKGS=(
  make cmake googletest g++
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386
  xvfb xauth x11-utils xdotool imagemagick
  g++ python3
  cups cups-bsd cups-client printer-driver-cups-pdf poppler-utils libcups2:i386
  nsis chromium linkchecker
)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ -x /usr/bin/i686-w64-mingw32-g++-posix ] || missing+=(g++-mingw-w64-i686-posix)

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi

# A kernel that runs only 64-bit user code refuses Wine's 32-bit loader: then
# 32-bit programs run through QEMU's user-mode emulator (tools/ia32.sh).
if bash "$(dirname "$0")/ia32.sh" needed; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO bash "$(dirname "$0")/ia32.sh" enable
fi
