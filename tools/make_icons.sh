#!/bin/sh
# Draws every picture under res/ from scratch with ImageMagick. The PNGs are kept in the
# repository so a build never needs ImageMagick; run this after changing a drawing.
# Pictures are drawn on a 4x canvas and scaled down, which gives smooth edges.
set -eu

CONVERT=${CONVERT:-convert}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RES="$ROOT/res"
FONT=${ICON_FONT:-DejaVu-Sans-Bold}
mkdir -p "$RES/tree" "$RES/enc" "$RES/icons"

# No time stamps in the files, so a redraw without changes leaves git clean.
STAMPLESS="-define png:exclude-chunks=date,time -strip"

# draw OUT SIZE -- convert drawing options on a 4*SIZE transparent canvas
draw() {
    out=$1; size=$2; shift 2
    big=$((size * 4))
    # shellcheck disable=SC2086
    "$CONVERT" -size "${big}x${big}" xc:none "$@" -filter Lanczos -resize "${size}x${size}" $STAMPLESS "PNG32:$out"
}

# ---------------------------------------------------------------- tree rows, 32 px
T=32

draw "$RES/tree/icon_blank.png" $T

# A monitor with a stand: the whole measurement system.
draw "$RES/tree/icon_system.png" $T \
    -fill '#3b5f8a' -stroke '#1d324d' -strokewidth 6 -draw 'roundrectangle 10,14 118,92 10,10' \
    -fill '#9cc8f0' -stroke none -draw 'rectangle 22,26 106,80' \
    -fill '#5a7fa8' -draw 'polyline 56,94 72,94 78,110 50,110' \
    -fill '#3b5f8a' -draw 'roundrectangle 34,108 94,118 4,4'

# A rack seen from the front with three board slots.
draw "$RES/tree/icon_enclosure.png" $T \
    -fill '#8d96a0' -stroke '#40464d' -strokewidth 6 -draw 'roundrectangle 8,20 120,108 8,8' \
    -fill '#2f3439' -stroke none \
    -draw 'rectangle 26,32 40,96' -draw 'rectangle 57,32 71,96' -draw 'rectangle 88,32 102,96'

# An empty slot: only the guide rails are there.
draw "$RES/tree/icon_slot_empty.png" $T \
    -fill none -stroke '#7d858c' -strokewidth 8 -draw 'line 30,14 30,114' -draw 'line 98,14 98,114' \
    -strokewidth 5 -draw 'stroke-dasharray 10,10 rectangle 44,20 84,108'

# A board in its slot: green card with a chip and gold contacts.
draw "$RES/tree/icon_slot_full.png" $T \
    -fill '#2e8b3a' -stroke '#17491e' -strokewidth 5 -draw 'roundrectangle 14,10 114,104 6,6' \
    -fill '#1f2328' -stroke none -draw 'rectangle 44,34 84,74' \
    -fill '#d9a93b' -draw 'rectangle 24,106 36,120' -draw 'rectangle 46,106 58,120' \
    -draw 'rectangle 68,106 80,120' -draw 'rectangle 90,106 102,120'

# A fact about an element: a small sheet with lines.
draw "$RES/tree/icon_property.png" $T \
    -fill '#f4f4f0' -stroke '#6b7178' -strokewidth 6 -draw 'polyline 26,10 84,10 104,30 104,118 26,118 26,10' \
    -stroke '#4a7db3' -strokewidth 7 -draw 'line 40,50 90,50' -draw 'line 40,70 90,70' -draw 'line 40,90 76,90'

# Network: three linked nodes.
draw "$RES/tree/network.png" $T \
    -stroke '#3a6ea5' -strokewidth 8 -draw 'line 64,30 28,98' -draw 'line 64,30 100,98' -draw 'line 28,98 100,98' \
    -fill '#4f92d6' -stroke '#1f3f63' -strokewidth 5 \
    -draw 'circle 64,30 64,12' -draw 'circle 28,98 28,80' -draw 'circle 100,98 100,80'

# Thermometer.
draw "$RES/tree/temperature.png" $T \
    -fill '#f2f2f2' -stroke '#555c63' -strokewidth 6 -draw 'roundrectangle 52,8 76,92 12,12' \
    -fill '#d13b2e' -draw 'circle 64,100 64,78' \
    -stroke none -draw 'rectangle 58,44 70,96' \
    -stroke '#555c63' -strokewidth 4 -draw 'line 80,28 92,28' -draw 'line 80,48 92,48' -draw 'line 80,68 92,68'

# A plain bullet for node facts.
draw "$RES/tree/dot.png" $T \
    -fill '#2f6fb0' -stroke '#1a3e63' -strokewidth 6 -draw 'circle 64,64 64,36'

# ---------------------------------------------------------------- enclosure pictures, 48 px
E=48

# rack OUT SLOTS BODY [EXTRA...]: a 19-inch rack front with SLOTS board slots.
rack() {
    out=$1; slots=$2; body=$3; shift 3
    set -- "$@"
    cmds=""
    left=22; right=170; width=$((right - left))
    i=0
    while [ "$i" -lt "$slots" ]; do
        x0=$((left + i * width / slots + 2))
        x1=$((left + (i + 1) * width / slots - 3))
        cmds="$cmds rectangle $x0,58 $x1,150"
        i=$((i + 1))
    done
    # shellcheck disable=SC2086
    draw "$out" $E \
        -fill "$body" -stroke '#2c3136' -strokewidth 7 -draw 'roundrectangle 6,36 186,172 10,10' \
        -fill '#c9ced3' -stroke none -draw 'rectangle 14,44 178,52' -draw 'rectangle 14,156 178,164' \
        -fill '#22272b' -draw "$cmds" \
        "$@"
}

# Rack family, told apart by slot count; the 16-slot rack shows its star hub slot.
rack "$RES/enc/enc_rack4.png" 4 '#7f8a95'
rack "$RES/enc/enc_rack8.png" 8 '#7f8a95'
rack "$RES/enc/enc_rack16.png" 16 '#7f8a95' \
    -fill '#f0b429' -draw 'rectangle 90,58 98,150'
# Chainable expansion rack: an arrow to the next rack.
rack "$RES/enc/enc_expansion8.png" 8 '#6c7f6a' \
    -fill '#1f6fb2' -stroke '#0f3a60' -strokewidth 4 -draw 'polygon 118,6 156,6 156,-6 188,18 156,42 156,30 118,30'

# Portable case with a carrying handle.
rack "$RES/enc/enc_portable4.png" 4 '#3f6f8f' \
    -fill none -stroke '#2c3136' -strokewidth 10 -draw 'roundrectangle 62,8 130,44 12,12'

# desktop OUT SLOTS BODY: a low, wide box with horizontal slots.
desktop() {
    out=$1; slots=$2; body=$3
    cmds=""
    i=0
    while [ "$i" -lt "$slots" ]; do
        y0=$((84 + i * 64 / slots + 2))
        y1=$((84 + (i + 1) * 64 / slots - 4))
        cmds="$cmds rectangle 30,$y0 150,$y1"
        i=$((i + 1))
    done
    draw "$out" $E \
        -fill "$body" -stroke '#2c3136' -strokewidth 7 -draw 'roundrectangle 8,70 184,162 10,10' \
        -fill '#22272b' -stroke none -draw "$cmds" \
        -fill '#5ccf6a' -draw 'circle 168,90 168,82' \
        -fill '#2c3136' -draw 'rectangle 22,162 44,174' -draw 'rectangle 148,162 170,174'
}
desktop "$RES/enc/enc_single.png" 1 '#a7aeb5'
desktop "$RES/enc/enc_desktop2.png" 2 '#a7aeb5'

# A computer tower: boards in the computer's own expansion slots.
draw "$RES/enc/enc_host_pc.png" $E \
    -fill '#4b535b' -stroke '#1f2428' -strokewidth 7 -draw 'roundrectangle 56,12 136,180 10,10' \
    -fill '#8e979f' -stroke none -draw 'rectangle 70,30 122,44' -draw 'rectangle 70,54 122,62' \
    -fill '#2e8b3a' -draw 'rectangle 70,100 122,112' -draw 'rectangle 70,122 122,134' \
    -fill '#5ccf6a' -draw 'circle 96,160 96,152'

# Upright enclosure: eight slots stacked.
tower_slots=""
for i in 0 1 2 3 4 5 6 7; do
    y=$((30 + i * 17))
    tower_slots="$tower_slots rectangle 58,$y 134,$((y + 10))"
done
draw "$RES/enc/enc_tower8.png" $E \
    -fill '#7f8a95' -stroke '#2c3136' -strokewidth 7 -draw 'roundrectangle 40,10 152,182 10,10' \
    -fill '#22272b' -stroke none -draw "$tower_slots" \
    -fill '#5ccf6a' -draw 'circle 96,172 96,166'

# Compact case for a single board with its own power brick.
draw "$RES/enc/enc_compact.png" $E \
    -fill '#8a7f95' -stroke '#2c3136' -strokewidth 7 -draw 'roundrectangle 40,40 152,152 12,12' \
    -fill '#22272b' -stroke none -draw 'rectangle 62,60 130,132' \
    -fill '#2c3136' -draw 'rectangle 152,110 182,124' -draw 'rectangle 176,104 190,130'

# Lab case: sloped front with a status display above two slots.
draw "$RES/enc/enc_lab.png" $E \
    -fill '#b08d57' -stroke '#2c3136' -strokewidth 7 -draw 'polygon 10,170 182,170 182,40 40,40' \
    -fill '#1d3d2b' -stroke '#2c3136' -strokewidth 4 -draw 'rectangle 72,54 164,84' \
    -fill '#7ee08f' -stroke none -draw 'rectangle 80,64 130,72' \
    -fill '#22272b' -draw 'rectangle 52,102 170,122' -draw 'rectangle 46,132 170,152'

# net_box OUT SLOTS BODY: a network node, an enclosure with a link badge.
net_box() {
    out=$1; slots=$2; body=$3
    cmds=""
    i=0
    while [ "$i" -lt "$slots" ]; do
        x0=$((22 + i * 108 / slots + 3))
        x1=$((22 + (i + 1) * 108 / slots - 4))
        cmds="$cmds rectangle $x0,62 $x1,154"
        i=$((i + 1))
    done
    draw "$out" $E \
        -fill "$body" -stroke '#2c3136' -strokewidth 7 -draw 'roundrectangle 6,44 150,172 10,10' \
        -fill '#22272b' -stroke none -draw "$cmds" \
        -stroke '#1f6fb2' -strokewidth 8 -draw 'line 160,36 136,92' -draw 'line 160,36 184,92' \
        -draw 'line 136,92 184,92' \
        -fill '#4f92d6' -stroke '#1f3f63' -strokewidth 5 \
        -draw 'circle 160,36 160,22' -draw 'circle 136,92 136,78' -draw 'circle 184,92 184,78'
}
net_box "$RES/enc/enc_node6.png" 6 '#5d7f9c'
net_box "$RES/enc/enc_node2.png" 2 '#5d7f9c'
net_box "$RES/enc/enclosure_net.png" 4 '#7f8a95'

# Standard enclosure, blank entry and laptop for the list of systems.
rack "$RES/enc/enclosure.png" 6 '#8d96a0'
draw "$RES/enc/blank.png" $E
draw "$RES/enc/laptop.png" $E \
    -fill '#3b5f8a' -stroke '#1d324d' -strokewidth 7 -draw 'roundrectangle 34,30 158,124 8,8' \
    -fill '#9cc8f0' -stroke none -draw 'rectangle 46,42 146,112' \
    -fill '#8e979f' -stroke '#40464d' -strokewidth 6 -draw 'polyline 34,130 158,130 184,164 8,164 34,130'

# ---------------------------------------------------------------- dialog and action icons, 48 px

# round badge OUT FILL STROKE GLYPH
badge() {
    "$CONVERT" -size 192x192 xc:none \
        -fill "$2" -stroke "$3" -strokewidth 8 -draw 'circle 96,96 96,10' \
        -fill white -stroke none -font "$FONT" -pointsize 132 -gravity center -annotate +0+6 "$4" \
        -filter Lanczos -resize 48x48 $STAMPLESS "PNG32:$1"
}
badge "$RES/icons/question.png" '#2f6fb0' '#1a3e63' '?'
badge "$RES/icons/info.png" '#2f6fb0' '#1a3e63' 'i'

draw "$RES/icons/error.png" $E \
    -fill '#c62f2f' -stroke '#6e1414' -strokewidth 8 -draw 'circle 96,96 96,10' \
    -stroke white -strokewidth 24 -draw 'line 60,60 132,132' -draw 'line 132,60 60,132'

"$CONVERT" -size 192x192 xc:none \
    -fill '#f0b429' -stroke '#7a5a0b' -strokewidth 8 -draw 'polygon 96,14 182,174 10,174' \
    -fill '#2c2c2c' -stroke none -font "$FONT" -pointsize 118 -gravity center -annotate +0+20 '!' \
    -filter Lanczos -resize 48x48 $STAMPLESS "PNG32:$RES/icons/warning.png"

# A memory chip with pins.
chip_pins=""
for y in 52 80 108 136; do
    chip_pins="$chip_pins rectangle 20,$y 50,$((y + 12)) rectangle 142,$y 172,$((y + 12))"
done
draw "$RES/icons/eeprom.png" $E \
    -fill '#7d858c' -stroke none -draw "$chip_pins" \
    -fill '#2b3035' -stroke '#111416' -strokewidth 6 -draw 'roundrectangle 46,36 146,160 8,8' \
    -fill '#d9a93b' -draw 'circle 66,56 66,48'

# A log sheet with a pen.
draw "$RES/icons/logging.png" $E \
    -fill '#f4f4f0' -stroke '#6b7178' -strokewidth 7 -draw 'rectangle 28,14 136,178' \
    -stroke '#4a7db3' -strokewidth 8 -draw 'line 48,52 116,52' -draw 'line 48,84 116,84' -draw 'line 48,116 96,116' \
    -stroke '#2c3136' -strokewidth 18 -draw 'line 172,72 110,160' \
    -fill '#d9a93b' -stroke none -draw 'polygon 104,152 118,166 98,176'

# A gear.
gear_teeth=""
for a in 0 45 90 135 180 225 270 315; do
    gear_teeth="$gear_teeth $(awk -v a="$a" 'BEGIN {
        pi = atan2(0, -1); r1 = 62; r2 = 88; w = 0.22; c = 96
        t = a * pi / 180
        printf "polygon %.1f,%.1f %.1f,%.1f %.1f,%.1f %.1f,%.1f",
            c + r1 * cos(t - w), c + r1 * sin(t - w), c + r2 * cos(t - w * 0.7), c + r2 * sin(t - w * 0.7),
            c + r2 * cos(t + w * 0.7), c + r2 * sin(t + w * 0.7), c + r1 * cos(t + w), c + r1 * sin(t + w) }')"
done
draw "$RES/icons/settings.png" $E \
    -fill '#6b7580' -stroke none -draw "$gear_teeth" \
    -stroke '#3a4047' -strokewidth 6 -draw 'circle 96,96 96,30' \
    -fill '#f4f4f0' -draw 'circle 96,96 96,72'

# Program logo: a stylised N in a rounded square, in the sizes a window manager asks for.
LOGO_BACK='#1f4e79'
LOGO_FORE='#f0b429'
LOGO_N='60,200 60,56 100,56 156,146 156,56 196,56 196,200 156,200 100,110 100,200'
"$CONVERT" -size 256x256 xc:none \
    -fill "$LOGO_BACK" -stroke none -draw 'roundrectangle 8,8 248,248 44,44' \
    -fill "$LOGO_FORE" -draw "polygon $LOGO_N" \
    -define icon:auto-resize=48,32,16 $STAMPLESS "$RES/icons/norvale-logo.ico"

# The same logo as the installed desktop icon: hicolor PNGs in the usual sizes, each scaled
# down from one 4x drawing, and the scalable original.
HICOLOR="$RES/hicolor"
logo_master=$(mktemp --suffix=.png)
"$CONVERT" -size 1024x1024 xc:none \
    -draw "scale 4,4 fill '$LOGO_BACK' roundrectangle 8,8 248,248 44,44 fill '$LOGO_FORE' polygon $LOGO_N" \
    "PNG32:$logo_master"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "$HICOLOR/${size}x${size}/apps"
    "$CONVERT" "$logo_master" -filter Lanczos -resize "${size}x${size}" $STAMPLESS \
        "PNG32:$HICOLOR/${size}x${size}/apps/zamo2explorer.png"
done
rm -f "$logo_master"
mkdir -p "$HICOLOR/scalable/apps"
cat > "$HICOLOR/scalable/apps/zamo2explorer.svg" <<SVG
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <rect x="8" y="8" width="240" height="240" rx="44" ry="44" fill="$LOGO_BACK"/>
  <polygon points="$LOGO_N" fill="$LOGO_FORE"/>
</svg>
SVG

# ---------------------------------------------------------------- loading animation
# Twelve spokes; the bright one walks round, the ones behind it fade.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
frames=""
f=0
while [ "$f" -lt 12 ]; do
    mvg=$(awk -v f="$f" 'BEGIN {
        pi = atan2(0, -1); c = 64
        printf "stroke-width 12 stroke-linecap round "
        for (s = 0; s < 12; s++) {
            age = (f - s + 12) % 12; g = 40 + age * 17; t = s * pi / 6 - pi / 2
            printf "stroke rgb(%d,%d,%d) line %.1f,%.1f %.1f,%.1f ", g * 0.55, g * 0.75, g,
                c + 26 * cos(t), c + 26 * sin(t), c + 52 * cos(t), c + 52 * sin(t)
        } }')
    frame="$tmp/f$(printf %02d "$f").png"
    "$CONVERT" -size 128x128 xc:none -draw "$mvg" -filter Lanczos -resize 32x32 "PNG32:$frame"
    frames="$frames $frame"
    f=$((f + 1))
done
# shellcheck disable=SC2086
"$CONVERT" -delay 8 -loop 0 -dispose background $frames -channel A -threshold 50% +channel "$RES/icons/loading.gif"

# The resource list: every picture under the prefix the program asks for, as ":/<prefix>/res/<file>".
{
    echo '<!DOCTYPE RCC>'
    echo '<RCC version="1.0">'
    for pair in tree_icons:tree enc_icons:enc icons:icons; do
        prefix=${pair%%:*}
        dir=${pair#*:}
        echo "  <qresource prefix=\"/$prefix\">"
        for file in $(cd "$RES/$dir" && ls | LC_ALL=C sort); do
            echo "    <file alias=\"res/$file\">$dir/$file</file>"
        done
        echo '  </qresource>'
    done
    echo '</RCC>'
} > "$RES/resources.qrc"

echo "pictures and resources.qrc written below $RES"
