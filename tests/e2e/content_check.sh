#!/usr/bin/env bash
# The operator's check of content before a show, run with no display: the bundled content passes with
# one OK line per file; each kind of broken file fails the check with exit code 1 on the line that
# names that file, while every other file stays OK. A FIFO under a content file's name is reported, not
# waited for, and a folder under a track's name is called one. A kiosk run without its shading ramp ends at once
# with a log line naming the file and a non-zero exit code, and a command line the program does not
# understand ends with exit code 2 and one line.
#
# Usage: content_check.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# The shading ramp and the fourteen pictures, movies and tracks of the scenes.
readonly file_count=15

e2e_init "$1"
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_AUDIODRIVER

# Far longer than a check of the bundled content takes on a busy machine: a check still running then
# waits for something that never comes.
readonly check_timeout=300

# run_check DIR: the check on the folder, its output in $E2E_WORK/check.out and its exit code in $code
# (124 when it had to be stopped).
run_check() {
    (cd "$E2E_WORK" && exec timeout "$check_timeout" "$E2E_PROGRAM" --check --data "$1") >"$E2E_WORK/check.out" \
        2>"$E2E_WORK/program.log"
    code=$?
}

run_check "$E2E_SOURCE_DIR/Data"
[ "$code" -eq 0 ] || e2e_fail "the bundled content fails the check (exit code $code): $(cat "$E2E_WORK/check.out")"
[ "$(grep -c ': OK$' "$E2E_WORK/check.out")" -eq "$file_count" ] ||
    e2e_fail "not $file_count OK lines for the bundled content: $(cat "$E2E_WORK/check.out")"
e2e_log "bundled content: $file_count files OK"

# broken NAME FILE SETUP...: a copy of the bundled content (links) in which SETUP spoils FILE (relative
# to the content folder); the check must fail on exactly that file.
broken() {
    local name=$1 file=$2
    shift 2
    local data="$E2E_WORK/$name"
    cp -rs "$E2E_SOURCE_DIR/Data" "$data"
    rm "$data/$file"
    (cd "$data" && eval "$*") || e2e_fail "cannot set up $name"
    run_check "$data"
    [ "$code" -eq 1 ] || e2e_fail "$name: exit code $code, not 1: $(cat "$E2E_WORK/check.out")"
    local bad
    bad=$(grep -v ': OK$' "$E2E_WORK/check.out")
    [ "$(grep -c ': OK$' "$E2E_WORK/check.out")" -eq $((file_count - 1)) ] && [ "${bad%%: *}" = "$data/$file" ] ||
        e2e_fail "$name: the check does not name only $file: $(cat "$E2E_WORK/check.out")"
    e2e_log "$name: $bad"
}

picture=images/StartScreen2.TGA
broken truncated-picture "$picture" "head -c 20000 '$E2E_SOURCE_DIR/Data/$picture' >$picture"
broken picture-not-tga images/cubes.TGA "convert -size 64x64 xc:red png:images/cubes.TGA"
broken movie-not-movie movies/face2.avi "cp '$E2E_SOURCE_DIR/Data/images/cubes.TGA' movies/face2.avi"
broken missing-track music/olympus.mp3 true
broken empty-shader shader.txt ": >shader.txt"
broken fifo-picture images/ScrollTrogan.tga "mkfifo images/ScrollTrogan.tga"
grep -q "/images/ScrollTrogan.tga: cannot open: a FIFO, not a regular file$" "$E2E_WORK/check.out" ||
    e2e_fail "the FIFO is not called one: $(cat "$E2E_WORK/check.out")"
broken track-directory music/olympus.mp3 "mkdir music/olympus.mp3"
grep -q "/music/olympus.mp3: cannot open: a directory, not a regular file$" "$E2E_WORK/check.out" ||
    e2e_fail "the folder is not called one: $(cat "$E2E_WORK/check.out")"

(cd "$E2E_WORK" && exec "$E2E_PROGRAM" --kiosk --fullscreen --data "$E2E_WORK/empty-shader/images") \
    >"$E2E_WORK/program.log" 2>&1
kiosk_code=$?
[ "$kiosk_code" -ne 0 ] || e2e_fail "a kiosk run without shader.txt ends with exit code 0"
grep -q "$E2E_WORK/empty-shader/images/shader.txt: cannot open: No such file or directory" "$E2E_WORK/program.log" ||
    e2e_fail "a kiosk run without shader.txt does not say so"
e2e_log "kiosk run without shader.txt: exit code $kiosk_code, $(cat "$E2E_WORK/program.log")"

"$E2E_PROGRAM" --check --data "$E2E_WORK/nowhere" >"$E2E_WORK/usage.out" 2>"$E2E_WORK/usage.err"
code=$?
[ "$code" -eq 2 ] || e2e_fail "a folder that is not there gives exit code $code, not 2"
[ "$(wc -l <"$E2E_WORK/usage.err")" -eq 1 ] && [ ! -s "$E2E_WORK/usage.out" ] ||
    e2e_fail "the usage error is not one line: $(cat "$E2E_WORK/usage.out" "$E2E_WORK/usage.err")"
e2e_log "usage error: $(cat "$E2E_WORK/usage.err")"
echo "PASS: the bundled content passes the check; a truncated picture, a picture that is not TGA, a movie" \
    "that is not a movie, a missing track, an empty shader.txt, a FIFO in place of a picture and a folder in" \
    "place of a track each fail it by name and say what is wrong; a kiosk run without shader.txt" \
    "exits $kiosk_code naming it; a usage error exits 2"
