#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the program.
# Works as root (no sudo needed) and for an ordinary user through sudo.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev qt6-translations-l10n
  libcups2-dev poppler-utils cups-daemon cups-client cups-filters
  libturbojpeg0-dev libjpeg62-turbo-dev libfreetype-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libqt6sql6-sqlite libsodium-dev libssl-dev
  postgresql libqt6sql6-psql
  fonts-nanum xvfb xauth xdotool xdg-utils
  libreoffice-writer
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
  else
    SUDO=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
