#!/usr/bin/env bash
# Builds the Windows media and input backends' tests with mingw-w64 and runs them under Wine (64-bit, a
# fresh prefix, Xvfb on display :78 or STANDVIEW_WIN32_DISPLAY for the input test's window):
# tests/win32/build-and-run.sh [DIR] (default build-win32-tests). The movies and tracks are checked
# against FFmpeg's decode of the same files. The sources are in src/, out of reach of the Linux build's
# one-program-per-folder test glob.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "${1:-$root/build-win32-tests}")
cxx=x86_64-w64-mingw32-g++-posix
gtest=/usr/src/googletest/googletest
flags=(-std=c++17 -O2 -Wall -Wextra -Werror -I"$root" -I"$gtest/include")
# Everything linked in, so Wine needs no MinGW runtime DLLs.
link=(-static -static-libgcc -static-libstdc++)

for tool in "$cxx" wine wineserver ffmpeg python3 Xvfb; do
    command -v "$tool" >/dev/null || { echo "build-and-run: $tool is missing" >&2; exit 1; }
done
[ -d "$gtest" ] || { echo "build-and-run: $gtest is missing (the googletest package)" >&2; exit 1; }
mkdir -p "$out/obj" "$out/run/movies" "$out/run/reference"

compile() { # SOURCE OBJECT: compiles when the object is missing or older than the source
    if [ ! -e "$2" ] || [ "$1" -nt "$2" ]; then
        "$cxx" "${flags[@]}" -c "$1" -o "$2"
    fi
}

echo "-- building GoogleTest and the tests"
[ -e "$out/obj/gtest-all.o" ] || "$cxx" -std=c++17 -O2 -I"$gtest/include" -I"$gtest" \
    -c "$gtest/src/gtest-all.cc" -o "$out/obj/gtest-all.o"
[ -e "$out/obj/gtest_main.o" ] || "$cxx" -std=c++17 -O2 -I"$gtest/include" \
    -c "$gtest/src/gtest_main.cc" -o "$out/obj/gtest_main.o"
for source in platform/Paths.cpp platform/win32/*.cpp tests/win32/src/*.cpp; do
    compile "$root/$source" "$out/obj/$(basename "$source" .cpp).o"
done
# What both systems share around the backends, named apart from the backends' files of the same name.
for source in platform/AudioDevice.cpp platform/VideoDecoder.cpp; do
    compile "$root/$source" "$out/obj/Shared$(basename "$source" .cpp).o"
done
program() { # NAME OBJECTS... -- LIBRARIES...
    local name=$1 objects=() libraries
    shift
    while [ "$1" != -- ]; do objects+=("$out/obj/$1.o"); shift; done
    shift
    "$cxx" "${link[@]}" -o "$out/run/$name.exe" "${objects[@]}" "$out/obj/Paths.o" "$out/obj/gtest-all.o" \
        "$out/obj/gtest_main.o" "$@"
}
# The layer's default backend is the SDL one until the Windows build names DirectInput's instead.
"$cxx" "${flags[@]}" -DSdlInputBackend=DirectInputBackend -c "$root/platform/InputLayer.cpp" \
    -o "$out/obj/InputLayer.o"
program VideoDecoderWineTest VideoDecoderWineTest VideoDecoder SharedVideoDecoder -- -lvfw32 -lwindowscodecs -lole32 -luuid
program AudioWineTest AudioWineTest AudioDevice SharedAudioDevice AudioMp3 TrackCheck -- -lwinmm -lmsacm32
program DirectInputWineTest DirectInputWineTest DirectInput InputLayer -- -ldinput8 -ldxguid

echo "-- making the test movies and FFmpeg's pictures of them"
movies=$out/run/movies
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
        -f rawvideo "$out/run/reference/$name.rgb"
done

echo "-- FFmpeg's decode of the tracks"
mkdir -p "$out/run/music"
cp "$root"/Data/music/*.mp3 "$out/run/music/"
for track in "$out"/run/music/*.mp3; do
    # A mono track is heard at full level on both sides, as the players do (FFmpeg's own upmix would
    # lower it by 3 dB).
    upmix=()
    channels=$(ffprobe -v error -select_streams a:0 -show_entries stream=channels -of csv=p=0 "$track")
    [ "$channels" != 1 ] || upmix=(-af 'pan=stereo|c0=c0|c1=c0')
    ffm -i "$track" "${upmix[@]}" -f s16le -ac 2 -ar 44100 "$out/run/reference/$(basename "$track" .mp3).pcm"
done
horse=$out/run/music/horse.mp3
head -c $(($(stat -c %s "$horse") / 2)) "$horse" >"$out/run/music/half.mp3"

prefix=$(mktemp -d)
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all DISPLAY=
display=${STANDVIEW_WIN32_DISPLAY:-:78}
xvfb=
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
echo "-- creating a Wine prefix"
timeout 180 wine wineboot -i >/dev/null 2>&1
timeout 120 wineserver -w

echo "-- running the tests"
(cd "$out/run" && timeout 300 wine VideoDecoderWineTest.exe)
# Wine plays through ALSA's default device, which this home's settings make a recorder into a file.
home=$prefix/home
capture=$out/run/captured.pcm
mkdir -p "$home"
rm -f "$capture"
cat >"$home/.asoundrc" <<ALSA
pcm.!default {
    type file
    slave.pcm "null"
    file "$capture"
    format "raw"
}
ALSA
(cd "$out/run" && HOME=$home STANDVIEW_CAPTURE=$(winepath -w "$capture") timeout 300 wine AudioWineTest.exe \
    --gtest_filter='TrackDecoding.*:Sound.*')
(cd "$out/run" && WINEDLLOVERRIDES='winealsa.drv,winepulse.drv,wineoss.drv=d' timeout 300 wine AudioWineTest.exe \
    --gtest_filter='NoSound.*')
Xvfb "$display" -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.2
done
(cd "$out/run" && DISPLAY=$display timeout 300 wine DirectInputWineTest.exe)
echo "Windows media and input backends: all tests passed"
