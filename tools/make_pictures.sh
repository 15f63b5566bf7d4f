#!/usr/bin/env bash
# Draws the bundled TGA pictures into Data/images/ with ImageMagick and the DejaVu fonts.
# Usage: tools/make_pictures.sh   (needs the Debian packages imagemagick and fonts-dejavu-core)
#
# Every picture is drawn at the size it covers on an 800x600 screen and then squeezed into a texture
# of power-of-two sides, so that it looks undistorted once stretched over its place. Pure black is
# the transparent colour of the overlays: nothing that should show is ever drawn in pure black.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/Data/images"
fonts=/usr/share/fonts/truetype/dejavu
sans="$fonts/DejaVuSans.ttf"
sansBold="$fonts/DejaVuSans-Bold.ttf"
serif="$fonts/DejaVuSerif.ttf"
serifBold="$fonts/DejaVuSerif-Bold.ttf"
serifItalic="$fonts/DejaVuSerif-Italic.ttf"
for f in "$sans" "$sansBold" "$serif" "$serifBold" "$serifItalic"; do
    [ -e "$f" ] || { echo "make_pictures: missing font $f (package fonts-dejavu-core)" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "make_pictures: ImageMagick's convert is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Byte at an offset of a file, as a decimal number.
byte_at() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }

# write_tga SOURCE DEST WIDTHxHEIGHT DEPTH(24|32) COMPRESSION(none|rle)
# The program takes the first row of a file as the bottom of the picture (the TGA default origin),
# while ImageMagick writes the top row first, hence the flip.
write_tga() {
    local src=$1 dest=$2 size=$3 depth=$4 compression=$5
    local type=TrueColor alpha=off imType=2
    [ "$depth" = 32 ] && type=TrueColorAlpha && alpha=on
    local compress=None
    [ "$compression" = rle ] && compress=RLE && imType=10
    # Near-black left by the resampling filter would show as a dark halo; make it exactly black.
    local clean=(-fuzz 2% -fill black -opaque black)
    [ "$depth" = 32 ] && clean=()
    convert "$src" -filter Lanczos -resize "${size}!" -alpha "$alpha" "${clean[@]}" -flip +set comment \
        -depth 8 -type "$type" -compress "$compress" "tga:$dest"
    local gotType gotDepth
    gotType=$(byte_at "$dest" 2)
    gotDepth=$(byte_at "$dest" 16)
    if [ "$gotType" != "$imType" ] || [ "$gotDepth" != "$depth" ]; then
        echo "make_pictures: $dest has type $gotType depth $gotDepth, wanted $imType/$depth" >&2
        exit 1
    fi
}

# ImageMagick's row order is what the flip above relies on: a 1x2 picture, red under green, must
# start with the red (bottom) pixel once written.
convert -size 1x2 xc:red -fill lime -draw "point 0,0" "$work/probe.png"
write_tga "$work/probe.png" "$work/probe.tga" 1x2 24 none
if [ "$(od -An -tx1 -j 18 -N3 "$work/probe.tga" | tr -d ' ')" != "0000ff" ]; then
    echo "make_pictures: this ImageMagick writes TGA rows in another order; adjust the flip" >&2
    exit 1
fi

# A round button face with its number and its exhibit's name beneath, appended to the array `draw`:
# chip X Y NUMBER NAME COLOUR
chip() {
    local x=$1 y=$2 number=$3 name=$4 colour=$5
    draw+=(-fill "$colour" -stroke '#f4e6c0' -strokewidth 4 -draw "circle $x,$y $((x + 34)),$y"
        -stroke none -fill '#fff8e8' -font "$sansBold" -pointsize 38 -gravity northwest
        -annotate "+$((x - 12))+$((y - 24))" "$number"
        -fill '#f4e6c0' -font "$sansBold" -pointsize 24 -gravity north
        -annotate "$(printf '%+d+%d' "$((x - 400))" "$((y + 42))")" "$name")
}

# start_screen DEST TOP BOTTOM EDGE HEADLINE SUBLINE WIDTHxHEIGHT DEPTH COMPRESSION
# A banner over the top 45 % of the screen (800x270), four buttons across it.
start_screen() {
    local dest=$1 top=$2 bottom=$3 edge=$4 headline=$5 subline=$6 size=$7 depth=$8 compression=$9
    convert -size 760x240 "gradient:$top-$bottom" \
        \( -size 760x240 xc:black -fill white -draw "roundrectangle 0,0 759,239 34,34" \) \
        -alpha off -compose CopyOpacity -composite -background black -compose Over -flatten \
        "$work/panel.png"
    draw=()
    chip 130 160 1 Parthenon '#2f6fb0'
    chip 310 160 2 Mountain '#3f8f4a'
    chip 490 160 3 Horse '#b5462f'
    chip 670 160 4 Cubes '#8a4fb0'
    convert -size 800x270 xc:black "$work/panel.png" -geometry +20+15 -composite \
        -fill none -stroke "$edge" -strokewidth 5 -draw "roundrectangle 24,19 775,250 30,30" \
        -stroke none -fill '#fff4d8' -font "$sansBold" -pointsize 40 -gravity north \
        -annotate +0+34 "$headline" \
        -fill '#f0dca8' -font "$sans" -pointsize 22 -annotate +0+86 "$subline" \
        "${draw[@]}" "$work/start.png"
    write_tga "$work/start.png" "$out/$dest" "$size" "$depth" "$compression"
}

start_screen StartScreen.TGA '#1d4f8c' '#0b2344' '#e3b44a' \
    'Press a button to explore' \
    'Temple, mountain, horse or video: the choice is yours' 512x256 24 none
start_screen StartScreen2.TGA '#9a3a22' '#4a160c' '#f0c860' \
    'Step closer and press a button' \
    'Four journeys into ancient Greece are waiting for you' 512x256 32 none
start_screen StartScreen3.TGA '#1f6b63' '#0a302c' '#e8d27a' \
    'Choose your journey' \
    'Press one of the four buttons in front of you' 512x256 24 rle

# scroll DEST TITLE TEXT
# A parchment scroll with rolled ends filling the screen between 2.5 % and 97.5 % of its height
# (800x570); black around it is transparent.
scroll() {
    local dest=$1 title=$2 text=$3
    convert -size 640x44 gradient:'#f2dcaa'-'#7b4e22' \( +clone -flip \) -append -resize 640x44! \
        "$work/roll.png"
    convert -size 560x380 -background none -fill '#3b2410' -font "$serif" -pointsize 22 \
        -interline-spacing 4 "caption:$text" "$work/text.png"
    convert -size 800x570 xc:black \
        -fill '#eedcb0' -stroke '#a9814a' -strokewidth 4 -draw "rectangle 100,40 700,530" \
        -stroke none -fill '#e4cd98' -draw "rectangle 104,44 126,526" -draw "rectangle 674,44 696,526" \
        "$work/roll.png" -geometry +80+16 -composite \
        "$work/roll.png" -geometry +80+510 -composite \
        -fill '#6a4019' -draw "ellipse 80,38 10,22 0,360" -draw "ellipse 720,38 10,22 0,360" \
        -draw "ellipse 80,532 10,22 0,360" -draw "ellipse 720,532 10,22 0,360" \
        -fill '#7a1f12' -font "$serifBold" -pointsize 40 -gravity north -annotate +0+78 "$title" \
        -fill '#a9814a' -draw "rectangle 260,136 540,139" -gravity northwest \
        "$work/text.png" -geometry +120+158 -composite \
        "$work/scroll.png"
    write_tga "$work/scroll.png" "$out/$dest" 512x512 24 rle
}

scroll ScrollTrogan.tga 'The Wooden Horse' \
    "For ten years the Greek army had besieged the city of Troy without breaking its walls. Then they built a huge horse of wood, hid their best warriors inside it and sailed away, leaving the horse at the gates as an offering. The Trojans hauled it into the city to celebrate their victory. At night the hidden warriors climbed out, opened the gates to the returning fleet, and Troy fell. To this day a gift that hides an attack is called a Trojan horse."
scroll ScrollOlympus.tga 'Mount Olympus' \
    "Rising 2,918 metres above the Aegean coast, Olympus is the highest mountain in Greece. The ancient Greeks believed that the twelve great gods lived on its summit, in palaces hidden by clouds, where they feasted on ambrosia and watched over the world of mortals. Its slopes hold deep gorges, beech and pine forests and more than a thousand kinds of plants. Today it is a national park, and climbers reach the highest peak, Mytikas, in two days."
scroll ScrollParthenon.tga 'The Parthenon' \
    "High on the Acropolis of Athens stands the temple of Athena, the city's protector. It was built of white marble between 447 and 432 BC, with eight Doric columns at each end and seventeen along each side. Its columns lean slightly inwards and its floor curves gently upwards, so that the building looks perfectly straight to the eye. Painted sculptures once filled its pediments and a frieze of riders and gods ran around its walls."

# The video scene's title, in the middle half of the width from 2.5 % to 25 % of the height
# (400x135). The file carries its own alpha: a translucent plate around opaque letters.
convert -size 800x270 xc:none \
    -fill '#1a1030c0' -stroke '#f0c860' -strokewidth 6 -draw "roundrectangle 8,8 791,261 40,40" \
    -stroke none -fill '#fff4d8' -font "$sansBold" -pointsize 92 -gravity center -annotate +0-22 'Video Cubes' \
    -fill '#f0c860' -font "$serifItalic" -pointsize 34 -annotate +0+68 'our booth in motion' \
    "$work/cubes.png"
write_tga "$work/cubes.png" "$out/cubes.TGA" 512x128 32 rle

ls -l "$out"
