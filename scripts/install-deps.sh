#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test TAMORI.
# xdotool sends real key events to the running program in the window tests
# (the capture keys).
set -euo pipefail
packages=(build-essential cmake pkg-config libsdl2-dev libgif-dev liblodepng-dev
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth imagemagick sox xdotool)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
