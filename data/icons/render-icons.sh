#!/usr/bin/env bash
# Renders the fixed-size desktop icons from the scalable one. The PNGs are
# committed so the build needs no SVG renderer; run this after changing the SVG.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
name=io.github.kelvane.Kelvane
svg="$here/hicolor/scalable/apps/$name.svg"
for size in 16 32 48 64 128 256; do
    dir="$here/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    rsvg-convert --width "$size" --height "$size" --output "$dir/$name.png" "$svg"
done
