#!/usr/bin/env bash
# Regenerates the icon files from their sources in resources/ (*.svg drawn
# by rsvg-convert, *.txt pixel maps) and picker/embedded_images.cpp, which
# holds the six dialog images. Commit the results together with the sources.
#   scripts/make-icons.sh                 # regenerate
#   scripts/make-icons.sh --preview DIR   # also write enlarged previews to DIR
# Needs python3 and rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "make-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2; exit 1; }
python3 scripts/make_icons.py "$@"
# The generator already writes the house format; this keeps it so if either changes.
if command -v clang-format >/dev/null; then
  clang-format -i picker/embedded_images.cpp
fi
