#!/usr/bin/env bash
# Writes the media the Windows backends' tests read, with FFmpeg's decode of each for them to compare
# against: make-references.sh SOURCE_DIR MEDIA_DIR. MEDIA_DIR gets movies/NAME.avi with
# reference/NAME.rgb (every frame stretched to 256 x 256, bottom row first, as the Linux decoder gives
# it), and music/NAME.mp3 with reference/NAME.pcm (16-bit stereo at 44.1 kHz).
set -euo pipefail
root=$1
out=$2
for tool in ffmpeg ffprobe python3; do
    command -v "$tool" >/dev/null || { echo "make-references: $tool is missing" >&2; exit 1; }
done
rm -rf "$out"
movies=$out/movies
mkdir -p "$movies" "$out/reference" "$out/music"

ffm() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
source="testsrc2=size=320x240:rate=25:duration=1.6"
cp "$root"/Data/movies/*.avi "$movies/"
ffm -f lavfi -i "$source" -c:v msvideo1 -pix_fmt rgb555le "$movies/msvideo1.avi"
ffm -f lavfi -i "$source" -c:v cinepak -pix_fmt rgb24 "$movies/cinepak.avi"
ffm -f lavfi -i "$source" -c:v mjpeg -q:v 4 -pix_fmt yuvj420p "$movies/mjpeg.avi"
ffm -f lavfi -i "$source" -c:v rawvideo -pix_fmt bgr24 "$movies/bgr24.avi"
ffm -f lavfi -i "$source" -c:v rawvideo -pix_fmt pal8 "$movies/pal8.avi"
ffm -f lavfi -i "$source" -c:v mpeg4 -strict unofficial -tag:v ZZZZ "$movies/unknown-codec.avi"
ffm -f lavfi -i "sine=frequency=440:duration=0.5" -c:a pcm_s16le "$movies/audio-only.avi"
ffm -f lavfi -i "sine=frequency=440:duration=0.5" -c:a pcm_s16le -f wav "$movies/sound.wav.avi"
# The lengths in the main and the stream header zeroed, as some writers leave them.
python3 - "$movies/cinepak.avi" "$movies/uncounted.avi" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
for chunk, offset in ((b"avih", 8 + 16), (b"strh", 8 + 32)):
    at = data.index(chunk)
    data[at + offset:at + offset + 4] = bytes(4)
open(sys.argv[2], "wb").write(data)
PY
for movie in "$movies"/*.avi; do
    name=$(basename "$movie" .avi)
    case $name in unknown-codec | audio-only | sound.wav | uncounted) continue ;; esac
    # The system's JPEG decoder widens the colour planes to the full frame before the stretch, which the
    # Linux decoder does in one step with it; the reference does the same, or fine detail would differ.
    widen=
    case $(ffprobe -v error -select_streams v:0 -show_entries stream=pix_fmt -of csv=p=0 "$movie") in
    yuv*) widen="format=yuv444p,scale=iw:ih:flags=bilinear+full_chroma_inp+full_chroma_int,format=rgb24," ;;
    esac
    ffm -i "$movie" -fps_mode passthrough -vf "${widen}scale=256:256:flags=bilinear,vflip" -pix_fmt rgb24 \
        -f rawvideo "$out/reference/$name.rgb"
done

cp "$root"/Data/music/*.mp3 "$out/music/"
for track in "$out"/music/*.mp3; do
    # A mono track is heard at full level on both sides, as the players do (FFmpeg's own upmix would
    # lower it by 3 dB).
    upmix=()
    channels=$(ffprobe -v error -select_streams a:0 -show_entries stream=channels -of csv=p=0 "$track")
    [ "$channels" != 1 ] || upmix=(-af 'pan=stereo|c0=c0|c1=c0')
    ffm -i "$track" "${upmix[@]}" -f s16le -ac 2 -ar 44100 "$out/reference/$(basename "$track" .mp3).pcm"
done
horse=$out/music/horse.mp3
head -c $(($(stat -c %s "$horse") / 2)) "$horse" >"$out/music/half.mp3"
