#!/usr/bin/env bash
# Installs every Debian 12 package the client, its tests and its demo need.
# Quick and quiet when everything is already there.
set -euo pipefail

packages=(
  build-essential
  cmake
  pkg-config
  qt6-base-dev
  qt6-translations-l10n
  libgl-dev
  libpugixml-dev
  libexpat1-dev
  libmpv-dev
  libcpp-httplib-dev
  zlib1g-dev
  libbrotli-dev
  libzstd-dev
  libgtest-dev
  xvfb
  xauth
  fonts-dejavu-core
  openssl
  desktop-file-utils
  librsvg2-bin
  lintian
  appstream
  dbus-daemon
  dbus-bin
  at-spi2-core
  python3-pyatspi
  dpkg-dev
  clang
  libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
