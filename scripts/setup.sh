#!/usr/bin/env bash
# Installs what Tintra's build and tests need on Debian 12 / Ubuntu:
# the native toolchain and test libraries, the MinGW-w64 i686 cross
# compiler, 32-bit Wine and a virtual X display; for the Linux program Qt 6,
# XCB, the SVG renderer of its icons and the .deb tools, and for its tests a
# window manager, X input, the clipboard tool and D-Bus, and for the editor
# integrations' tests the editors and a terminal multiplexer.
set -euo pipefail
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
packages=(
  cmake make g++ clang libclang-rt-14-dev clang-format googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb x11-utils xdotool
  imagemagick file ca-certificates
  qt6-base-dev libxcb1-dev librsvg2-bin dpkg-dev openbox xclip dbus
  vim neovim emacs-nox tmux
)
# Ubuntu's Qt 6 packages leave out the OpenGL headers its CMake files ask for.
if grep -qi ubuntu /etc/os-release 2>/dev/null; then packages+=(libgl-dev); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing+=(wine32:i386)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all packages present"
