#!/usr/bin/env bash
# Regenerates the icon files of resources/ (resources/*.ico and
# resources/scaled/*.ico) from their sources there (*.svg drawn by
# rsvg-convert, *.txt pixel maps). Commit the results together with the
# sources; the build embeds the dialog's images from them.
#   scripts/make-icons.sh                 # regenerate
#   scripts/make-icons.sh --preview DIR   # also write enlarged previews to DIR
# Needs python3 and rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "make-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2; exit 1; }
python3 scripts/make_icons.py "$@"
