#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test TAMORI.
#   scripts/install-deps.sh              to build, run and test
#   scripts/install-deps.sh --packaging  also the checkers of the installed files and the package
#   scripts/install-deps.sh --fuzz       also clang and its fuzzer and sanitizer runtimes (tools/fuzz.sh)
# xdotool sends real key events to the running program in the window tests
# (the capture keys).
set -euo pipefail
packages=(build-essential cmake pkg-config libsdl2-dev libgif-dev liblodepng-dev
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth imagemagick sox xdotool)
if [[ ${1:-} == --packaging ]]; then
  # Checking tools only, never needed to build: lintian checks the Debian
  # package, desktop-file-utils the desktop entry, appstream the metainfo,
  # libxml2-utils (xmllint) the MIME type file, man-db (man --warnings) the manual pages.
  packages+=(lintian desktop-file-utils appstream libxml2-utils man-db)
elif [[ ${1:-} == --fuzz ]]; then
  # clang-14's libFuzzer, AddressSanitizer and UBSan libraries are in
  # libclang-rt-14-dev, which clang only recommends; ninja builds the targets.
  packages+=(clang libclang-rt-14-dev ninja-build)
fi
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
