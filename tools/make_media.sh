#!/usr/bin/env bash
# Makes the bundled demo music and movies: three looping MP3 tracks synthesised with SoX and four
# short AVI movies rendered from FFmpeg's generated sources, in several codecs. Each codec is one that
# Windows decodes with what it ships (MS Video-1 and Cinepak through Video for Windows, Motion JPEG
# through its JPEG decoder) as well as FFmpeg, so the movies play on both systems.
# Usage: tools/make_media.sh [output-root]   (default: the repository root; writes Data/music, Data/movies)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root}
music="$out/Data/music"
movies="$out/Data/movies"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

for tool in sox ffmpeg awk; do
    command -v "$tool" >/dev/null || { echo "make_media: $tool is missing (scripts/packages/media.txt)" >&2; exit 1; }
done
[ -r "$font" ] || { echo "make_media: $font is missing (fonts-dejavu-core)" >&2; exit 1; }
mkdir -p "$music" "$movies"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

readonly rate=44100
# SoX's repeatable mode keeps the plucked strings' noise the same on every run.
sx() { sox -R "$@"; }
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

# render_track FILE BPM VOICE LOWPASS "PATTERN" CHORD...
# Each chord is one bar of four beats: an arpeggio of eighth notes (PATTERN picks the chord tones,
# VOICE is a SoX synth type), a soft pad an octave down and a plucked bass two octaves down.
# Chord tones are semitones from A4, comma-separated, lowest first.
render_track() {
    local file=$1 bpm=$2 voice=$3 lowpass=$4 pattern=$5
    shift 5
    local beat bar step total bass i=0
    beat=$(calc "60 / $bpm")
    bar=$(calc "4 * $beat")
    step=$(calc "$beat / 2")
    bass=$(calc "$bar * 0.9")
    local bars=()
    for chord in "$@"; do
        local tones notes=() delays=() pad=() k=0
        IFS=, read -r -a tones <<<"$chord"
        for index in $pattern; do
            notes+=("$voice" "%${tones[$index]}")
            delays+=("$(calc "$step * $k")")
            k=$((k + 1))
        done
        # One channel per note, each delayed to its place in the bar, then mixed down.
        sx -n -r $rate "$work/arp.wav" synth 1.8 "${notes[@]}" fade q 0.005 1.8 1.6 \
            delay "${delays[@]}" remix - lowpass "$lowpass" gain -6
        for tone in "${tones[@]}"; do pad+=(sine "%$((tone - 12))"); done
        sx -n -r $rate "$work/pad.wav" synth "$bar" "${pad[@]}" remix - fade h 0.5 "$bar" 0.8 gain -21
        sx -n -r $rate "$work/bass.wav" synth "$bass" pluck "%$((tones[0] - 24))" \
            fade q 0.01 "$bass" 1.5 lowpass 800 gain -8
        sx -m -v 1 "$work/arp.wav" -v 1 "$work/pad.wav" -v 1 "$work/bass.wav" "$work/bar$i.wav" \
            pad "$(calc "$bar * $i")"
        bars+=(-v 1 "$work/bar$i.wav")
        i=$((i + 1))
    done
    total=$(calc "$bar * $i")
    sx -m "${bars[@]}" "$work/all.wav" reverb 45 50 80 remix -
    # What rings on past the last bar is laid over the first, so the loop has no seam.
    sx "$work/all.wav" "$work/body.wav" trim 0 "$total"
    sx "$work/all.wav" "$work/tail.wav" trim "$total"
    sx -m -v 1 "$work/body.wav" -v 1 "$work/tail.wav" "$work/loop.wav" trim 0 "$total" gain -n -3
    ffmpeg -hide_banner -loglevel error -y -i "$work/loop.wav" -ac 1 -ar $rate -c:a libmp3lame -b:a 64k \
        -map_metadata -1 -fflags +bitexact -flags:a +bitexact "$music/$file"
    rm -f "$work"/*.wav
}

# A minor, a harp at a walking pace.
render_track horse.mp3 100 pluck 5000 "0 1 2 3 2 1 2 1" \
    -12,-9,-5,0 -16,-12,-9,-4 -9,-5,-2,3 -14,-10,-7,-2 -12,-9,-5,0 -7,-4,0,5 -17,-13,-10,-5 -12,-9,-5,0 \
    -12,-9,-5,0 -16,-12,-9,-4 -9,-5,-2,3 -14,-10,-7,-2 -12,-9,-5,0 -7,-4,0,5 -17,-13,-10,-5 -12,-9,-5,0
# D major, slow chimes.
render_track olympus.mp3 76 sine 6000 "0 2 3 2 1 2 3 1" \
    -7,-3,0,5 -14,-10,-7,-2 -10,-7,-3,2 -12,-8,-5,0 -14,-10,-7,-2 -7,-3,0,5 \
    -17,-14,-10,-5 -12,-8,-5,0 -7,-3,0,5 -10,-7,-3,2 -14,-10,-7,-2 -12,-8,-5,0
# C major sevenths, a mellow guitar.
render_track parthenon.mp3 88 pluck 2800 "0 2 1 3 0 2 1 3" \
    -9,-5,-2,2 -12,-9,-5,-2 -16,-12,-9,-5 -14,-10,-7,-5 -9,-5,-2,2 -17,-14,-10,-7 -16,-12,-9,-5 \
    -14,-10,-7,-5 -12,-9,-5,-2 -17,-14,-10,-7 -16,-12,-9,-5 -7,-4,0,3 -14,-10,-7,-5 -9,-5,-2,2

# Movies: 320 x 240, a title on top.
title() { echo "drawtext=fontfile=$font:text='$1':fontsize=28:fontcolor=white:borderw=2:bordercolor=black@0.6:x=(w-tw)/2:y=8"; }
# encode INPUT-AND-CODEC-OPTIONS... FILE
encode() {
    ffmpeg -hide_banner -loglevel error -y "${@:1:$#-1}" -map_metadata -1 -fflags +bitexact -flags:v +bitexact "${@: -1}"
}

# Booth1: a zoom into the Mandelbrot set, Motion JPEG (its fine detail is lost in the other two).
encode -f lavfi -i "mandelbrot=size=320x240:rate=15:start_scale=3:end_scale=0.002:end_pts=150:start_x=-0.743643887037151:start_y=0.131825904205330:inner=convergence,$(title 'BOOTH 1')" \
    -t 10 -c:v mjpeg -q:v 8 -pix_fmt yuvj420p "$movies/Booth1.avi"

# A smiling face on moving stripes, drawn per pixel: face_channel DARK CHEEK FACE BACKGROUND gives
# one colour channel's expression. BLINK_L/BLINK_R open the eyes (1) or close them.
face_channel() {
    local d='hypot(X-160,Y-128)'
    local eyes="lt(pow((X-126)/13,2)+pow((Y-104)/(18*($blinkLeft)),2),1)+lt(pow((X-194)/13,2)+pow((Y-104)/(18*($blinkRight)),2),1)"
    local mouth='gt(Y,140)*lt(abs(hypot(X-160,Y-112)-54),3+3*(1+sin(T*5)))'
    local rim="gte($d,90)*lt($d,95)"
    local cheeks='lt(hypot(X-108,Y-150),13)+lt(hypot(X-212,Y-150),13)'
    echo "if($eyes+$mouth+$rim,$1,if($cheeks,$2,if(lt($d,90),$3,$4)))"
}
face_source() { # RATE TITLE BACKGROUND_R BACKGROUND_G BACKGROUND_B
    local red green blue
    red=$(face_channel 45 250 '255-hypot(X-140,Y-100)*0.5' "$3")
    green=$(face_channel 30 140 '215-hypot(X-140,Y-100)*0.6' "$4")
    blue=$(face_channel 25 120 60 "$5")
    echo "color=c=black:size=320x240:rate=$1,format=gbrp,geq=r='$red':g='$green':b='$blue',format=yuv420p,$(title "$2")"
}

# Booth2: the face blinks, Motion JPEG.
blinkLeft='if(lt(mod(T+1,2.6),0.2),0.12,1)'
blinkRight=$blinkLeft
encode -f lavfi -i "$(face_source 15 'BOOTH 2' '60+40*sin((X+Y)/24-T*3)' '140+50*sin((X-Y)/30+T*2)' 210)" \
    -t 8 -c:v mjpeg -q:v 8 -pix_fmt yuvj420p "$movies/Booth2.avi"

# Booth3: the Game of Life over drifting colour gradients, MS Video-1.
# The gradient colours are given: left to chance they would differ on every run.
encode -f lavfi -i "gradients=size=320x240:rate=20:n=5:speed=0.03:seed=7:c0=0x2a6fdb:c1=0xe0479e:c2=0xf5b83d:c3=0x3ccf91:c4=0x7b3fe4,format=gbrp" \
    -f lavfi -i "life=size=80x60:rate=20:ratio=0.12:mold=25:life_color=#ffffff:death_color=#8a8a90:mold_color=#a8a8c8:seed=11,scale=320x240:flags=neighbor,format=gbrp" \
    -filter_complex "[0][1]blend=all_mode=multiply,format=yuv420p,$(title 'BOOTH 3')" \
    -t 12 -c:v msvideo1 -pix_fmt rgb555le "$movies/Booth3.avi"

# face2: the face winks on warm stripes, Cinepak.
blinkLeft=1
blinkRight='if(lt(mod(T+0.5,1.6),0.35),0.12,1)'
encode -f lavfi -i "$(face_source 12 'HELLO' '230+25*sin((X-Y)/22-T*2)' '120+40*sin((X+Y)/28+T*3)' '90+30*sin(X/40+T)')" \
    -t 5 -pix_fmt rgb24 -c:v cinepak "$movies/face2.avi"

echo "make_media: wrote $music and $movies"
