#!/usr/bin/env bash
# Installs the Debian packages both builds, the tests and the screenshots need.
# Does nothing for packages already present; safe to run again.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 fonts-wine fonts-liberation nsis osslsigncode openssl python3-yaml
  xvfb xauth imagemagick python3-pil x11-utils fonts-dejavu-core
  nlohmann-json3-dev libcli11-dev
  liblo-tools
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
