#!/usr/bin/env bash
# Builds the signed release files of VelPanel from the windows preset into dist/:
#   VelPanel-<version>-setup.exe   the Windows installer (per user, 64-bit)
#   VelPanel-<version>-x64.zip     the portable zip: VelPanel.exe, README.txt, LICENSE.txt, CHANGELOG.md
#   SHA256SUMS                     their checksums (check with: sha256sum -c SHA256SUMS)
#   winget/manifests/...           the Windows Package Manager manifest of the setup
# The version is the one of project(VelPanel VERSION ...) in CMakeLists.txt; the
# top entry of CHANGELOG.md must name it. VelPanel.exe, the uninstaller and the
# setup carry a SHA-256 Authenticode signature:
#   VELPANEL_SIGN_PKCS12, VELPANEL_SIGN_PASSWORD  the certificate and key (PKCS#12)
#   VELPANEL_TIMESTAMP_URL                         an RFC 3161 time-stamp service (optional)
# Without a certificate a throw-away self-signed one (build/windows/test-signing/)
# signs the files, for testing only. VELPANEL_DOWNLOAD_URL: where the files will
# be published (the manifest's address of the setup).
# The same commit gives the same bytes in any folder (scripts/compare-builds.sh
# shows it): SOURCE_DATE_EPOCH is the commit's time unless it is set.
# Installs what is missing first (makensis: nsis, osslsigncode).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "release: the checkout has changes that are not committed; these files are not the commit's" >&2
  fi
fi
export SOURCE_DATE_EPOCH

cmake --preset windows >/dev/null
version=$(sed -n 's/^VELPANEL_RELEASE_VERSION:INTERNAL=//p' build/windows/CMakeCache.txt)
top=$(sed -n 's/^## \[\{0,1\}\([0-9][0-9.]*\).*/\1/p' CHANGELOG.md | head -n 1)
if [ "$top" != "$version" ]; then
  echo "release: the top entry of CHANGELOG.md names ${top:-no version}, not $version; nothing was released" >&2
  exit 1
fi
cmake --build --preset windows -j "${JOBS:-2}" --target VelPanel

if [ -z "${VELPANEL_SIGN_PKCS12:-}" ]; then
  bash scripts/test-signing-cert.sh build/windows/test-signing
  export VELPANEL_SIGN_PKCS12=$PWD/build/windows/test-signing/test-signing.p12 VELPANEL_SIGN_PASSWORD=test
  test_signed=1
  cat >&2 <<'WARN'
************************************************************************
**  No certificate (VELPANEL_SIGN_PKCS12): the files are signed with a **
**  throw-away self-signed certificate, FOR TESTING ONLY. Windows will **
**  not trust them. Do not publish them.                               **
************************************************************************
WARN
fi

mkdir -p dist
rm -rf dist/VelPanel-*-setup.exe dist/VelPanel-*-x64.zip dist/SHA256SUMS dist/winget
python3 scripts/package-release.py build/windows/app/win32/VelPanel.exe "$version" dist
echo "release files in dist/:"
(cd dist && ls -l VelPanel-* SHA256SUMS && sha256sum -c SHA256SUMS)
find dist/winget -type f | sort
if [ -n "${test_signed:-}" ]; then
  echo "SIGNED FOR TESTING ONLY (verify with: osslsigncode verify -CAfile build/windows/test-signing/test-signing.crt -in FILE)" >&2
fi
