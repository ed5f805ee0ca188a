#!/usr/bin/env bash
# Regenerates the artwork into a scratch folder and compares it byte for
# byte with the committed files. Exit 77 (skipped) when the generator cannot
# run on this machine (no PIL or fonts).
set -uo pipefail
src="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
"$src/scripts/make-artwork.sh" --out "$tmp"
rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -ne 0 ] && { echo "generator failed ($rc)"; exit 1; }
status=0
for f in "$tmp"/bitmaps/*.bmp "$tmp"/bitmaps/*/*.bmp "$tmp"/*.ico; do
  rel="${f#"$tmp"/}"
  if ! cmp -s "$f" "$src/res/$rel"; then
    echo "out of date: res/$rel (run scripts/make-artwork.sh and commit)"; status=1
  fi
done
for f in "$src"/res/bitmaps/*.bmp "$src"/res/bitmaps/*/*.bmp; do
  [ -e "$tmp/${f#"$src"/res/}" ] || { echo "not generated: ${f#"$src"/}"; status=1; }
done
[ $status -eq 0 ] && echo "artwork is current"
exit $status
