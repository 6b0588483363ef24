#!/usr/bin/env bash
# Installs every Debian package DORive needs to build, run and test.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config python3 clang-format git
      qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl1-mesa-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      xvfb xauth fonts-dejavu-core)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
