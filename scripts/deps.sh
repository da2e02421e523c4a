#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Teilomat need, when missing.
#   scripts/deps.sh [PACKAGE...]   and these as well (a cross build's: NAME:ARCH adds ARCH to dpkg)
set -euo pipefail

packages=(
  cmake g++ clang clang-format-14 libclang-rt-14-dev make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libtbb-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev
  xvfb xauth xdotool x11-utils imagemagick
  fonts-comic-neue fonts-dejavu-core fonts-dejavu-extra
  qt6-translations-l10n
  dpkg-dev desktop-file-utils appstream librsvg2-bin
  lintian man-db
  dbus-daemon python3-dbus python3-gi
  at-spi2-core python3-pyatspi
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
for p in "${missing[@]}"; do
  arch=${p##*:}
  if [ "$arch" != "$p" ] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    "${sudo[@]}" dpkg --add-architecture "$arch"
  fi
done
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
