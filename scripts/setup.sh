#!/usr/bin/env bash
# Installs the Debian packages this project builds, tests and runs with.
# Only what is missing is installed, so a warm machine returns at once.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  libqcustomplot-dev libqcustomplot2.1-qt6
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  qpdf poppler-utils xvfb xauth fonts-dejavu-core
  libhpdf-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Font metrics of the 14 standard PDF fonts, taken from Debian's ruby-prawn
# package (unpacked only, so Ruby is not pulled in).
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
FONTS="$ROOT/dist/Fonts"
if [ ! -f "$FONTS/Helvetica.afm" ] || [ ! -f "$FONTS/MustRead.html" ]; then
  tmp="$(mktemp -d)"
  (cd "$tmp" && apt-get download ruby-prawn >/dev/null 2>&1 || { apt-get update -qq && apt-get download ruby-prawn; })
  dpkg -x "$tmp"/ruby-prawn_*.deb "$tmp/x"
  mkdir -p "$FONTS"
  # Adobe's licence: the AFM files travel with their MustRead.html.
  find "$tmp/x" \( -name '*.afm' -o -name 'MustRead.html' \) -exec cp {} "$FONTS/" \;
  rm -rf "$tmp"
fi
