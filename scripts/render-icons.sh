#!/bin/sh
# Renders the PNG sizes of the icon from data/kvt-configurator.svg into
# data/icons/. Run after changing the SVG and commit the PNGs: the build
# installs them as they are, so it needs no SVG renderer.
# Needs rsvg-convert (./scripts/install-deps.sh icons).
set -eu
cd "$(dirname "$0")/../data"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" kvt-configurator.svg \
        --output "icons/kvt-configurator-$size.png"
done
