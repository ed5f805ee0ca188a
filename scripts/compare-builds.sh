#!/usr/bin/env bash
# Builds one commit twice, in two folders of different names, and compares
# the release files byte for byte:
#   scripts/compare-builds.sh [COMMIT]        (default HEAD)
# Each build is a fresh `git archive` of the commit, configured, compiled
# without ccache and packaged by scripts/release.sh. Both sign with the same
# certificate (VELPANEL_SIGN_PKCS12, else one throw-away test certificate) and
# without a time stamp, so that the signatures are the same bytes too.
# Prints each file's size and SHA-256 from both builds side by side (a table
# for docs/figures.md) and exits non-zero when any file differs.
# Takes two full builds of VelPanel.exe (3-5 minutes each on 2 cores).
# KEEP=1 keeps the two trees (their path is printed).
set -euo pipefail
cd "$(dirname "$0")/.."
commit=$(git rev-parse --verify "${1:-HEAD}^{commit}")
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
unset VELPANEL_TIMESTAMP_URL
export CCACHE_DISABLE=1

work=$(mktemp -d "${TMPDIR:-/tmp}/velpanel-compare.XXXXXX")
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
if [ -z "${VELPANEL_SIGN_PKCS12:-}" ]; then
  bash scripts/test-signing-cert.sh "$work/certificate"
  export VELPANEL_SIGN_PKCS12=$work/certificate/test-signing.p12 VELPANEL_SIGN_PASSWORD=test
fi

trees=("$work/first/VelPanel" "$work/the-second-build/src-$commit")
for tree in "${trees[@]}"; do
  mkdir -p "$tree"
  git archive "$commit" | tar -x -C "$tree"
  echo "=== building $commit in $tree"
  start=$(date +%s)
  (cd "$tree" && bash scripts/release.sh >"$tree.log" 2>&1) || { tail -n 30 "$tree.log"; exit 1; }
  echo "built in $(( $(date +%s) - start )) s"
done

files=(build/windows/app/win32/VelPanel.exe)
while IFS= read -r f; do files+=("dist/$f"); done < <(cd "${trees[0]}/dist" && find . -type f | sed 's|^\./||' | sort)
status=0
echo
echo "Two builds of $(git log -1 --format='%h (%cd)' --date=short "$commit"), SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH:"
echo
echo "| file | bytes | SHA-256, build 1 | SHA-256, build 2 | same |"
echo "|---|---:|---|---|---|"
for f in "${files[@]}"; do
  a=${trees[0]}/$f b=${trees[1]}/$f
  ha=$(sha256sum "$a" | cut -c1-64)
  hb=$( [ -f "$b" ] && sha256sum "$b" | cut -c1-64 || echo missing)
  same=yes
  if [ "$ha" != "$hb" ]; then same="**no**"; status=1; fi
  label=$f
  [ "$f" = build/windows/app/win32/VelPanel.exe ] && label="VelPanel.exe (unsigned, as linked)"
  echo "| $label | $(stat -c %s "$a") | \`$ha\` | \`$hb\` | $same |"
done
[ "${KEEP:-0}" = 1 ] && echo "trees kept in $work"
exit $status
