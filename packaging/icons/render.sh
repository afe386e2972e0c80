#!/usr/bin/env bash
# Renders the application icon's PNG sizes from quillora.svg (needs rsvg-convert: librsvg2-bin).
# The PNGs are checked in, so a build needs no SVG renderer; run this after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" quillora.svg --output "quillora-$size.png"
done
