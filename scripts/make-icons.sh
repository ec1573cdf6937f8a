#!/usr/bin/env bash
# Renders the program's icon (desktop/org.tandorel.Tandorel.svg) into the PNG
# sizes that the desktop and the window icon use, with rsvg-convert. Only
# needed after a change of the drawing; the build uses the files as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
svg=desktop/org.tandorel.Tandorel.svg
mkdir -p desktop/icons
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" "$svg" --output "desktop/icons/$size.png"
  # Reproducible files: no time stamps or other text chunks.
  convert "desktop/icons/$size.png" -strip "PNG32:desktop/icons/$size.png"
done
