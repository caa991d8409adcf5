#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build and the tests need, asking apt
# only for those that are missing, so a second run is quick and works offline.
set -euo pipefail

PACKAGES=(
  cmake make g++ pkg-config
  googletest libgtest-dev
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64
  # Wine's own fonts (Tahoma and friends) and the Liberation faces it maps
  # Arial and Times to: only recommended by Debian's Wine, yet every text
  # measurement of the windows depends on them.
  fonts-wine fonts-liberation
  # X libraries Wine's display driver loads at run time (recommended, not
  # required, by libwine): without them windows lose features under Xvfb.
  libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3
  xvfb xauth x11-utils imagemagick
  ffmpeg
  zip file
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then SUDO="sudo"; else
    echo "Please install as root: apt-get install ${missing[*]}" >&2; exit 1
  fi
fi
# One failed index (a mirror in the middle of a sync) must not stop us: the
# install below decides whether what we need is there.
$SUDO apt-get update || true
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
