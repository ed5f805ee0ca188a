#!/usr/bin/env bash
# Regenerates the bitmaps and the icon of VelPanel.exe from res/art.
#   scripts/make-artwork.sh                  rewrite res/bitmaps/*.bmp and res/VelPanel.ico
#   scripts/make-artwork.sh --out DIR        write them below DIR instead
#   scripts/make-artwork.sh --preview X.png  also compose the main window into X.png
# Needs Debian's python3 with python3-pil and the fonts-liberation and
# fonts-dejavu-core packages (scripts/install-deps.sh installs them).
# Exits 77 when the fonts or PIL are missing, so that tests can skip.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
py=/usr/bin/python3
if ! "$py" -c 'import PIL' 2>/dev/null; then
  echo "make-artwork: $py has no PIL (install python3-pil)" >&2
  exit 77
fi
export PYTHONDONTWRITEBYTECODE=1
export PYTHONHASHSEED=0
exec "$py" "$here/res/art/make_artwork.py" "$@"
