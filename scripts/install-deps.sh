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
  # openssl checks the integrity of FFmpeg for Windows (below).
  openssl ca-certificates
  zip file
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# npm fetches FFmpeg for Windows. Debian's package only when there is no npm
# at all: a Node.js from elsewhere brings its own, which Debian's would clash with.
command -v npm >/dev/null || missing+=(npm)

# FFmpeg for Windows, which marobex-engine.exe runs under Wine in the tests and
# the demonstration (Debian's ffmpeg is a Linux program, which Wine cannot
# wait for). A GPL build: it stays in build/ and never goes into the package.
install_windows_ffmpeg() {
  local root dest pkg integrity tmp tgz sum
  root=$(cd "$(dirname "$0")/.." && pwd)
  dest=$root/build/ffmpeg/ffmpeg.exe
  [ -f "$dest" ] && return 0
  pkg=@ffmpeg-installer/win32-x64@4.1.0
  integrity='sha512-Drt5u2vzDnIONf4ZEkKtFlbvwj6rI3kxw1Ck9fpudmtgaZIHD4ucsWB2lCZBXRxJgXR+2IMSti+4rtM4C4rXgg=='
  if ! command -v npm >/dev/null; then
    echo "install-deps: npm is missing: FFmpeg for Windows ($pkg) not fetched." >&2
    return 1
  fi
  tmp=$(mktemp -d)
  echo "Fetching $pkg (FFmpeg for Windows, 22 MB) into build/ffmpeg"
  if ! (cd "$tmp" && npm pack --silent "$pkg" >/dev/null); then
    echo "install-deps: npm pack $pkg failed." >&2
    rm -rf "$tmp"; return 1
  fi
  tgz=$(ls "$tmp"/*.tgz)
  sum="sha512-$(openssl dgst -sha512 -binary "$tgz" | base64 -w0)"
  if [ "$sum" != "$integrity" ]; then
    echo "install-deps: $pkg does not have the expected integrity ($sum); not installed." >&2
    rm -rf "$tmp"; return 1
  fi
  tar -xzf "$tgz" -C "$tmp" package/ffmpeg.exe
  mkdir -p "$(dirname "$dest")"
  mv "$tmp/package/ffmpeg.exe" "$dest.part" && mv "$dest.part" "$dest"
  rm -rf "$tmp"
  echo "install-deps: $dest"
}

if [ ${#missing[@]} -eq 0 ]; then
  install_windows_ffmpeg || true
  exit 0
fi

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
install_windows_ffmpeg || true
