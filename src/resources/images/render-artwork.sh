#!/usr/bin/env bash
# Draws the window icon, the page icon and the selector banner with ImageMagick.
# The PNGs are committed; run this only after changing the drawings.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
icons="$here/../icons"
im=/usr/bin/convert
latin=DejaVu-Sans-Bold

# Two opposed arrows on a blue tile: data crossing between the two buses.
emblem() {
    local out="$1" size="$2"
    "$im" -size 128x128 xc:none \
        \( -size 128x128 gradient:'#2a86c8-#0b3d5c' \) \
        \( -size 128x128 xc:black -fill white -draw 'roundrectangle 2,2 125,125 26,26' \) \
        -delete 0 -alpha off -compose CopyOpacity -composite -compose Over \
        -stroke white -strokewidth 10 -fill none \
        -draw 'line 28,46 88,46' -draw 'line 40,82 100,82' \
        -stroke none -fill white \
        -draw 'polygon 84,30 106,46 84,62' -draw 'polygon 44,66 22,82 44,98' \
        -resize "${size}x${size}" -depth 8 -strip "PNG32:$out"
}

# A settings sheet with three sliders.
page() {
    "$im" -size 128x128 xc:none \
        -stroke '#3f78a8' -strokewidth 6 -fill '#f3f7fb' \
        -draw 'roundrectangle 14,8 113,119 12,12' \
        -stroke '#7fa7c9' -strokewidth 6 \
        -draw 'line 32,40 96,40' -draw 'line 32,64 96,64' -draw 'line 32,88 96,88' \
        -stroke '#0b3d5c' -strokewidth 4 -fill '#2a86c8' \
        -draw 'circle 76,40 76,50' -draw 'circle 48,64 48,74' -draw 'circle 66,88 66,98' \
        -resize 64x64 -depth 8 -strip "PNG32:$1"
}

# Drawn at twice the size it is shown, for high-density screens, and halved
# for the ordinary ones, which then show it without scaling it first.
# Opaque, at 8 bits a channel and with the simplest row filter: the window
# decodes it before its first frame. All icons are 8 bits a channel too: a
# 16-bit PNG costs the start twice as much to decode and shows the same.
# The subtitle below the name is a label of the window over the picture, so
# that it follows the user's language.
banner() {
    local tile wave=()
    # A stretch of bus signal, as line segments between corner points.
    set -- "$1" 530,80 556,80 556,44 590,44 590,80 608,80 608,44 658,44 658,80 684,80 684,44 \
        708,44 708,80 760,80
    local out="$1"
    shift
    while [ $# -ge 2 ]; do
        wave+=(-draw "line $1 $2")
        shift
    done
    tile="$(mktemp --suffix=.png)"
    emblem "$tile" 84
    "$im" -size 760x120 xc:'#0b2f47' \
        \( -size 600x120 -define gradient:direction=east gradient:'#16618f-#0b2f47' \) \
        -composite \
        -stroke '#2c78a8' -strokewidth 4 -fill none \
        "${wave[@]}" \
        -stroke none \
        "$tile" -geometry +22+18 -composite \
        -font "$latin" -pointsize 40 -fill white -annotate +126+58 'Kelvane' \
        -alpha off -depth 8 -strip -quality 91 "PNG24:$out"
    rm -f "$tile"
}

# The ordinary screen's banner, half the drawn one.
half() {
    "$im" "$1" -resize 50% -alpha off -depth 8 -strip -quality 91 "PNG24:$2"
}

emblem "$icons/kelvane.png" 128
page "$icons/page.png"
banner "$here/banner@2x.png"
half "$here/banner@2x.png" "$here/banner.png"
