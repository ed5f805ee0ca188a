#!/usr/bin/env bash
# Builds the release files of VelPanel from the windows preset into dist/:
#   VelPanel-<version>-setup.exe   the Windows installer (per user, 64-bit)
#   VelPanel-<version>-x64.zip     the portable zip: VelPanel.exe, README.txt, LICENSE.txt
#   SHA256SUMS                     their checksums (check with: sha256sum -c SHA256SUMS)
# The version is the one of project(VelPanel VERSION ...) in CMakeLists.txt.
# Installs what is missing first (makensis comes from the Debian package nsis).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "${JOBS:-2}" --target velpanel_setup velpanel_portable

version=$(sed -n 's/^VELPANEL_RELEASE_VERSION:INTERNAL=//p' build/windows/CMakeCache.txt)
setup=build/windows/installer/VelPanel-$version-setup.exe
zip=build/windows/installer/VelPanel-$version-x64.zip
mkdir -p dist
rm -f dist/VelPanel-*-setup.exe dist/VelPanel-*-x64.zip dist/SHA256SUMS
cp "$setup" "$zip" dist/
(cd dist && sha256sum "$(basename "$setup")" "$(basename "$zip")" > SHA256SUMS)
echo "release files in dist/:"
(cd dist && ls -l VelPanel-* SHA256SUMS && sha256sum -c SHA256SUMS)
