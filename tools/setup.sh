#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages Velloc needs to build, run and test, then
# configures and builds it in ./build. Safe to run again: it only installs
# what is missing and only rebuilds what changed.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev
  libcurl4-openssl-dev libjpeg-dev liblz4-dev libsimpleini-dev libminiupnpc-dev
  xvfb xauth imagemagick xdotool
  qt6-svg-dev desktop-file-utils appstream man-db file dpkg-dev lintian
  libavahi-client-dev libstrophe-dev avahi-daemon dbus-daemon prosody openssl
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

top=$(cd "$(dirname "$0")/.." && pwd)
build="${VELLOC_BUILD_DIR:-$top/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${VELLOC_BUILD_TYPE:-RelWithDebInfo}"
fi
cmake --build "$build"
