#!/usr/bin/env bash
# The Windows build's walk under Wine, from the zip a Windows user unpacks: a 64-bit prefix
# (tests/wine_prefix.sh: the one STANDVIEW_WINE_PREFIX names, or a fresh one) on an X server of its own,
# Wine's virtual desktop (the only place where Wine's windows take keys and where the display mode can
# be switched), and the music recorded through ALSA into a file. It checks what a user at the booth
# would see and hear:
#   the full-screen question, answered No from the keyboard (N);
#   the start screen: one of its pictures over the top, the models on the background below;
#   L: the horse's scroll unrolling from the top, then whole, and its music in the recording, which
#      was silent until then;
#   H, while the horse's exhibit still runs: the movie carousel under its title, the front cube's movie
#      running, the music stopped (the exhibits' time-out is left to the in-process tests, which run
#      on Windows too, and to the Linux walk, which waits for the video stage's);
#   F1: a new, frameless window over a desktop switched to the program's mode, the start screen again
#       and the frames still changing there;
#   Escape: the end of the run with exit code 0;
#   all the while --metrics and --snapshot (every second) to a folder on Z:: while the show runs the
#      figures count H as the Cubes scene's key start; after Escape promtool accepts the file, written
#      after the key, with more frames, the start screen as the scene shown, the content loaded, and
#      no temporary file left beside it; the snapshot is a 400x300 PNG of the start picture;
#   then, on a desktop of another size and shape, --fullscreen --screen native: a frameless window over
#      the whole desktop, which keeps its size, the start picture in the centred 4:3 area with a
#      button's disc round and the sides filled, F1 to the 800x600 window and back, Escape.
#
# Usage: wine_walk.sh BUILD_DIR (the directory scripts/build-windows.sh wrote, holding the zip).
# E2E_KEEP_SHOTS=DIR keeps every screenshot in DIR.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"
source "$(dirname "$0")/../wine_prefix.sh"

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
for tool in wine wineserver Xvfb xdotool xwininfo import convert identify promtool sox cmake; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing" >&2; exit 1; }
done

readonly desktop_name="Default - Wine desktop"
readonly desktop_size=1024x768
# Full screen with --screen native is checked on a desktop of another shape, 16:9 as a booth's
# television, after the walk: the window covers it, the picture in the centred 4:3 area.
readonly native_width=1280
readonly native_height=720
readonly native_size=${native_width}x${native_height}
readonly native_area_width=$((native_height * 4 / 3))
readonly native_area_left=$(((native_width - native_area_width) / 2))
# The X server holds either desktop.
readonly screen_size=1280x768
readonly error_caption="Error"
# The first window waits for Wine's services and its desktop to start, which takes minutes on a loaded
# two-core machine.
readonly wine_window_seconds=300
# The frame's background: the orange clear colour (229,121,34) with the glow's twenty layers of the
# small render's white added on top. Every pixel format Wine offers on this server carries eight alpha
# bits, so the small render keeps its clear alpha of 0.5, which halves what each layer adds (0.63 of
# 255 on a display without destination alpha, 0.315 here).
readonly background="rgb(255,202,115)"
# Beside the native full screen's 4:3 area the sides continue that background.
readonly side_share=0.99
# The fourth button's disc on the start picture: its fill seen through the picture's alpha over the
# background, a region of the composition (800x600 pixels) around it that holds no other purple, and
# its size in the picture's pixels.
readonly disc_colour="rgb(155,97,167)"
readonly disc_fuzz=10%
readonly disc_region_composed=(168 140 588 100)
readonly disc_picture_columns=40
readonly disc_picture_rows=59
# The start picture's size; on screen it spans the composition's width and 45 % of its height.
readonly picture_columns=512
readonly picture_rows=256
readonly picture_height_percent=45
# Allowed difference of the disc's width from its height, and of either from its expected size, in per cent.
readonly round_percent=4
readonly size_percent=8
# Music: Wine's mixer and ALSA's period lie between a request and the recording; the levels.
readonly audio_lag_seconds=2
readonly audio_audible_peak=0.05
readonly audio_silent_peak=0.001
# The program reads a key's state once a frame, so a press must outlast a frame, which takes seconds
# under Wine on a loaded machine.
readonly scene_key_hold_seconds=2
# L is held until the start picture leaves, which it does on the frame that takes the key; under heavy
# load the start screen once stayed for four minutes after a single press, so it is pressed again.
readonly scene_key_wait_seconds=30
readonly scene_key_attempts=4
# The video stage ends 35 s after its button; pressed again well within that while the camera flies.
readonly keep_alive_seconds=15
# Mean difference, 0 to 255, of a region whose picture moves.
readonly moving_difference=3
# The show's figures are written every 10 s of frames; a frame takes seconds under load.
readonly metrics_write_seconds=60
readonly snapshot_every_seconds=1
readonly snapshot_size=400x300
readonly snapshot_width=${snapshot_size%x*}
readonly snapshot_height=${snapshot_size#*x}

# --- Set-up ---------------------------------------------------------------------------------------

walk_cleanup() {
    # Ends the program and every Wine process of the prefix, then what lib.sh started.
    wine_prefix_end
    e2e_cleanup
}

E2E_WORK=$(mktemp -d)
trap walk_cleanup EXIT
build=$(readlink -f "$1")
zip=$(find "$build" -maxdepth 1 -name 'Standview-*-windows.zip' | head -n 1)
[ -n "$zip" ] || e2e_fail "no Standview-*-windows.zip in $1"

mkdir "$E2E_WORK/unpacked"
(cd "$E2E_WORK/unpacked" && cmake -E tar xf "$zip") || e2e_fail "cannot unpack $zip"
E2E_RUN=$(find "$E2E_WORK/unpacked" -mindepth 1 -maxdepth 1 -type d | head -n 1)
for entry in standview.exe QelIo.dll README.txt Data/shader.txt Data/images Data/movies Data/music; do
    [ -e "$E2E_RUN/$entry" ] || e2e_fail "the zip holds no $entry beside the program"
done
e2e_log "unpacked $(basename "$zip")"

E2E_SCREEN_SIZE=$screen_size e2e_start_xvfb
export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
E2E_AUDIO="$E2E_WORK/audio.raw"
# Wine plays through ALSA's default device, which this home makes a recorder into a file.
cat >"$HOME/.asoundrc" <<ALSA
pcm.!default {
    type file
    slave.pcm "null"
    file "$E2E_AUDIO"
    format "raw"
}
ALSA
wine_prefix_use "$E2E_WORK" || e2e_fail "no Wine prefix"
# The figures and the snapshot in a folder of their own, so that whatever else is left there shows.
readonly monitor_dir="$E2E_WORK/monitor"
readonly metrics_file="$monitor_dir/standview.prom"
readonly snapshot_file="$monitor_dir/snapshot.png"
mkdir "$monitor_dir"
# A Linux path as a Windows user writes it, on the drive through which Wine reaches the whole file system.
windows_path() { echo "Z:${1//\//\\}"; }

# start_desktop WxH: Wine's virtual desktop at that size, set in the user's registry file once no Wine
# server holds it: starting reg.exe for this took minutes under load and failed once without a word.
# The size on explorer's command line alone does not do, as the services Wine starts first open the
# desktop at the registry's size. The desktop is started first and waited for: left to the program's
# first window, Wine waits ten seconds for its desktop process to come up, which a loaded machine
# overruns, and the window is then refused (system error 1400).
# xwininfo given no window waits for a click on one, so the desktop's absence is no geometry.
desktop_geometry() {
    local desktop
    desktop=$(e2e_window_id "$desktop_name")
    [ -n "$desktop" ] && e2e_geometry "$desktop"
}
desktop_sized() { [ "$(desktop_geometry)" = "$1+0+0" ]; }
start_desktop() {
    wine_prefix_end
    cat >>"$WINEPREFIX/user.reg" <<REG

[Software\\\\Wine\\\\Explorer] $(date +%s)
"Desktop"="Default"

[Software\\\\Wine\\\\Explorer\\\\Desktops] $(date +%s)
"Default"="$1"
REG
    wine explorer "/desktop=Default,$1" >"$E2E_WORK/desktop.log" 2>&1 &
    e2e_wait_for "$wine_window_seconds" desktop_sized "$1" ||
        e2e_fail "Wine's desktop did not appear at $1; windows: $(xwininfo -root -tree | grep -o '"[^"]*"' | sort -u | tr '\n' ' ')$(tail -n 5 "$E2E_WORK/desktop.log")"
    e2e_log "Wine's desktop is shown at $1, prefix $WINEPREFIX, display $DISPLAY"
}
start_desktop "$desktop_size"

(cd "$E2E_RUN" && exec wine standview.exe --metrics "$(windows_path "$metrics_file")" \
    --snapshot "$(windows_path "$snapshot_file")" --snapshot-every "$snapshot_every_seconds") \
    >"$E2E_WORK/program.log" 2>&1 &
E2E_APP_PID=$!

# --- Windows --------------------------------------------------------------------------------------

# A box the program shows when something failed ("Mode Switch Failed.", "Failed To Open The AVI ...").
fail_on_error_box() {
    if e2e_has_window "$error_caption"; then
        e2e_shot_desktop error-box
        e2e_fail "an \"$error_caption\" message box appeared (screenshot $E2E_SHOT)"
    fi
    e2e_running || e2e_fail "the program ended"
}

# A screenshot of the whole screen, for failures outside the program's window.
e2e_shot_desktop() {
    E2E_SHOT="$E2E_WORK/$1.png"
    import -window root "$E2E_SHOT" 2>/dev/null
    if [ -n "${E2E_KEEP_SHOTS:-}" ]; then mkdir -p "$E2E_KEEP_SHOTS" && cp "$E2E_SHOT" "$E2E_KEEP_SHOTS/"; fi
}

# Wine gives each window an X window for its frame, named by its title, and one inside it for its
# client area. Sets E2E_MAIN (the frame) and E2E_GEOMETRY (the client area) once that is shown.
main_window_shown() {
    fail_on_error_box
    E2E_MAIN=$(e2e_window_id "$E2E_TITLE")
    [ -n "$E2E_MAIN" ] || return 1
    local client
    client=$(xwininfo -id "$E2E_MAIN" -children 2>/dev/null | awk '/^ +0x/ { print $1; exit }')
    [ -n "$client" ] && e2e_viewable "$client" || return 1
    E2E_GEOMETRY=$(e2e_geometry "$client")
}

wait_main_window() {
    e2e_wait_for "$wine_window_seconds" main_window_shown ||
        e2e_fail "no \"$E2E_TITLE\" window was shown; windows: $(xwininfo -root -tree | grep -o '"[^"]*"' | sort -u | tr '\n' ' ')"
    [ "${E2E_GEOMETRY%%+*}" = "${E2E_WIDTH}x${E2E_HEIGHT}" ] ||
        e2e_fail "the client area is ${E2E_GEOMETRY%%+*}, not ${E2E_WIDTH}x${E2E_HEIGHT}"
}

# Keys reach Wine's windows through its desktop's X window, which takes the focus.
focus_desktop() {
    local desktop
    desktop=$(e2e_window_id "$desktop_name")
    [ -n "$desktop" ] || e2e_fail "no Wine desktop"
    xdotool windowfocus "$desktop" || e2e_fail "cannot focus Wine's desktop"
}

# Keys go to the window Wine holds active in its desktop. One run saw L ignored for four minutes with
# the program's window alone on the desktop, so it is clicked as a visitor would, which activates it;
# with the right button, as the left one steers the camera.
activate_program() {
    focus_desktop
    local size=${E2E_GEOMETRY%%+*} place=${E2E_GEOMETRY#*+}
    xdotool mousemove $((${place%%+*} + ${size%%x*} / 2)) $((${place#*+} + ${size#*x} / 2)) click 3 ||
        e2e_fail "cannot click the program's window"
}

# --- Picture checks -------------------------------------------------------------------------------

readonly lower_half="${E2E_WIDTH}x$((E2E_HEIGHT / 2))+0+$((E2E_HEIGHT / 2))"
readonly front_cube="$((E2E_WIDTH * 40 / 100))x$((E2E_HEIGHT * 40 / 100))+$((E2E_WIDTH * 30 / 100))+$((E2E_HEIGHT * 35 / 100))"
readonly title_region="$((E2E_WIDTH / 2))x$((E2E_HEIGHT * 20 / 100))+$((E2E_WIDTH / 4))+$((E2E_HEIGHT * 3 / 100))"

# The start picture over the top and the models below: the lower half is neither all background nor
# without it.
start_screen_now() {
    fail_on_error_box
    e2e_shot "$1"
    start_picture_shown "$E2E_SHOT" || return 1
    plain=$(e2e_colour_fraction "$E2E_SHOT" "$lower_half" "$background")
    awk -v p="$plain" 'BEGIN { exit !(p >= 0.05 && p <= 0.95) }'
}

check_start_screen() { # NAME [SECONDS]
    start_picture="" plain=""
    e2e_wait_for "${2:-$E2E_FLIGHT_SECONDS}" start_screen_now "$1" ||
        e2e_fail "$1: no start screen: the top shows ${start_picture:-nothing}; ${plain:-?} of the lower half is background"
    e2e_log "$1: the top shows $start_picture; models over $(awk -v p="$plain" 'BEGIN { printf "%.3f", 1 - p }') of the lower half"
}

# moving_in NAME REGION: whether a new screenshot differs in the region from the first one taken
# under that name; the first call takes it.
moving_in() {
    fail_on_error_box
    if [ ! -e "$E2E_WORK/$1-first.png" ]; then
        e2e_shot "$1-first"
        return 1
    fi
    e2e_shot "$1-later"
    moved=$(e2e_mean_difference "$E2E_WORK/$1-first.png" "$E2E_SHOT" "$2")
    number_at_least "$moved" "$moving_difference"
}

e2e_keep() {
    cp "$E2E_SHOT" "$E2E_WORK/$1.png"
    if [ -n "${E2E_KEEP_SHOTS:-}" ]; then cp "$E2E_SHOT" "$E2E_KEEP_SHOTS/$1.png"; fi
}

# --- Music checks ---------------------------------------------------------------------------------

readonly audio_lag_bytes=$((audio_lag_seconds * E2E_AUDIO_RATE * E2E_AUDIO_FRAME_BYTES))

# audible_since BYTES: whether the recording after that offset (and the lag) reaches the music's level.
audible_since() {
    fail_on_error_box
    peak=$(e2e_audio_peak $(($1 + audio_lag_bytes)) "$(e2e_audio_bytes)")
    number_at_least "$peak" "$audio_audible_peak"
}

# recorded_past BYTES SECONDS: whether the recording has that many seconds beyond the offset and lag.
recorded_past() {
    [ "$(e2e_audio_bytes)" -ge $(($1 + audio_lag_bytes + $2 * E2E_AUDIO_RATE * E2E_AUDIO_FRAME_BYTES)) ]
}

# --- Figures and snapshot checks -----------------------------------------------------------------

# metric NAME FILE: the value of the sample of that name (labels as the show writes them); fails when
# there is none.
metric() { awk -v n="$1" '$1 == n { print $2; found = 1 } END { exit !found }' "$2"; }

# A copy, as the show replaces the file while it runs.
readonly metrics_running="$E2E_WORK/metrics-running.prom"
readonly cubes_key_starts='standview_scene_starts_total{scene="cubes",cause="key"}'
cubes_key_counted() {
    fail_on_error_box
    cp "$metrics_file" "$metrics_running" 2>/dev/null || return 1
    cubes_starts=$(metric "$cubes_key_starts" "$metrics_running") && number_at_least "$cubes_starts" 1
}

# --- The walk -------------------------------------------------------------------------------------

question_shown() {
    e2e_running || e2e_fail "the program ended before asking \"$E2E_QUESTION_CAPTION\""
    e2e_has_window "$E2E_QUESTION_CAPTION"
}
e2e_wait_for "$wine_window_seconds" question_shown ||
    e2e_fail "no \"$E2E_QUESTION_CAPTION\" box appeared; windows: $(xwininfo -root -tree | grep -o '"[^"]*"' | sort -u | tr '\n' ' ')"
e2e_log "the \"$E2E_QUESTION_CAPTION\" box is shown"
focus_desktop
# The box's button letter answers No; a box not yet taking input loses the key, so it is held again
# until the box is gone.
box_gone() { ! e2e_has_window "$E2E_QUESTION_CAPTION"; }
answered=""
for attempt in 1 2 3 4 5; do
    e2e_press n 0.5
    if e2e_wait_for 20 box_gone; then
        answered=$attempt
        break
    fi
done
[ -n "$answered" ] || e2e_fail "the \"$E2E_QUESTION_CAPTION\" box did not take N"
e2e_log "answered No with N (attempt $answered)"

wait_main_window
[ "$(e2e_geometry "$E2E_MAIN")" != "$E2E_GEOMETRY" ] || e2e_fail "the window asked for with No has no frame"
e2e_log "window $E2E_MAIN with a frame, client area $E2E_GEOMETRY"
activate_program
# The first frame comes after the program has loaded the models, pictures and movies, which under Wine
# on a busy machine took from 40 s to more than 4 minutes, and the camera's approach follows.
check_start_screen start-screen $((wine_window_seconds + E2E_FLIGHT_SECONDS))
e2e_wait_for "$E2E_START_SECONDS" recorded_past 0 1 || e2e_fail "nothing recorded from the sound output"
silence=$(e2e_audio_peak 0 "$(e2e_audio_bytes)")
! number_at_least "$silence" "$audio_silent_peak" || e2e_fail "music before any exhibit (peak $silence)"
e2e_log "start screen: the sound output plays silence ($(e2e_audio_bytes) bytes, peak $silence)"

# L: the flight, then the scroll unrolling from the top. The screen is captured all the while, so that
# a screenshot of the reveal is there to check even when checking one takes longer than the reveal.
audio_before=$(e2e_audio_bytes)
e2e_capture_start
start_picture_gone() {
    fail_on_error_box
    e2e_shot horse-leave
    ! start_picture_shown "$E2E_SHOT"
}
taken=""
for attempt in $(seq "$scene_key_attempts"); do
    [ "$attempt" -eq 1 ] || activate_program
    xdotool keydown l || e2e_fail "cannot press L"
    e2e_wait_for "$scene_key_wait_seconds" start_picture_gone && taken=$attempt
    xdotool keyup l || e2e_fail "cannot release L"
    [ -z "$taken" ] || break
done
pressed=$SECONDS
[ -n "$taken" ] || e2e_fail "horse: the start picture stayed through $scene_key_attempts presses of L"
e2e_log "horse: L taken (attempt $taken)"
whole=""
shown=0 total=0
while [ $((SECONDS - pressed)) -lt "$E2E_FLIGHT_SECONDS" ]; do
    fail_on_error_box
    # Each look costs the program frames that it needs on a machine this busy.
    sleep 1
    e2e_newest_capture horse-poll || continue
    read -r shown total _ _ < <(scroll_rows "$E2E_SHOT" ScrollTrogan.tga)
    if fraction_at_least "$shown" "$total" "$whole_fraction"; then
        e2e_keep horse-whole
        whole_capture=$E2E_CAPTURED
        whole="$shown of $total rows"
        break
    fi
done
e2e_capture_stop
[ -n "$whole" ] || e2e_fail "horse: the scroll never showed whole ($shown of $total rows at last)"
# Before the whole scroll, the screenshots show it partly, from the top (at a few frames a second the
# reveal may give only its first rows, the upper roller), and before that not at all.
early="" seen=""
for shot in $(e2e_captured_back_from "$whole_capture"); do
    e2e_capture_shot "$shot" horse-early-poll
    read -r shown total boundary below < <(scroll_rows "$E2E_SHOT" ScrollTrogan.tga)
    seen="$seen $shown"
    fraction_at_least "$shown" "$total" "$whole_fraction" && [ -z "$early" ] && continue
    [ "$shown" -ge "$boundary_run" ] || break
    fraction_below "$shown" "$total" "$whole_fraction" ||
        e2e_fail "horse: the whole scroll showed before a partly unrolled one (rows shown, newest first:$seen)"
    [ "$below" -le 5 ] || e2e_fail "horse: a partly shown scroll ($shown of $total rows) shows $below rows below row $boundary"
    e2e_keep horse-early
    early="$shown of $total rows, all but $below of them above row $boundary"
done
[ -n "$early" ] || e2e_fail "horse: no screenshot caught the scroll partly unrolled from the top (rows shown, newest first:$seen)"
e2e_log "horse: early in the reveal $early; later the whole scroll, $whole"
peak=""
e2e_wait_for "$E2E_START_SECONDS" audible_since "$audio_before" ||
    e2e_fail "horse: the recording stays silent after L (peak ${peak:-none}, $(e2e_audio_bytes) bytes)"
e2e_log "horse: music recorded, peak $peak"

# H: the video stage's title and the front cube's movie running below it, the music stopped.
e2e_press h "$scene_key_hold_seconds"
pressed=$SECONDS
e2e_log "cubes: pressed H"
shown=0 total=0
title_shown() {
    fail_on_error_box
    e2e_shot cubes-poll
    read -r shown total _ _ < <(title_rows "$E2E_SHOT")
    fraction_at_least "$shown" "$total" "$title_fraction"
}
# The stage's time-out counts from the key, flight included, and the flight at a few frames a second
# can outlast it; the stage's button gives it more time, as a visitor keeps it going.
presses=1
until e2e_wait_for "$keep_alive_seconds" title_shown; do
    [ $((SECONDS - pressed)) -lt "$E2E_FLIGHT_SECONDS" ] || e2e_fail "cubes: the title never showed ($shown of $total rows)"
    e2e_press h "$scene_key_hold_seconds"
    presses=$((presses + 1))
done
audio_at_title=$(e2e_audio_bytes)
e2e_log "cubes: the title shows ($shown of $total rows) $((SECONDS - pressed)) s after H, pressed $presses times"
moved=""
e2e_wait_for 30 moving_in cubes "$front_cube" ||
    e2e_fail "cubes: the front cube did not change (difference ${moved:-none})"
still=$(e2e_mean_difference "$E2E_WORK/cubes-first.png" "$E2E_SHOT" "$title_region")
awk -v s="$still" -v m="$moved" 'BEGIN { exit !(s < m / 3) }' ||
    e2e_fail "cubes: the title changed as much as the front cube ($still against $moved)"
e2e_log "cubes: the front cube changed by $moved, the title by $still"
e2e_wait_for "$E2E_START_SECONDS" recorded_past "$audio_at_title" 1 || e2e_fail "cubes: the recording stopped growing"
peak=$(e2e_audio_peak $((audio_at_title + audio_lag_bytes)) "$(e2e_audio_bytes)")
! number_at_least "$peak" "$audio_silent_peak" || e2e_fail "cubes: the music went on (peak $peak)"
e2e_log "cubes: the music stopped, peak $peak"
cubes_starts=""
e2e_wait_for "$metrics_write_seconds" cubes_key_counted ||
    e2e_fail "metrics: no file counting H as a key start of cubes within $metrics_write_seconds s (${cubes_starts:-no such sample}; $(ls -A "$monitor_dir" | tr '\n' ' '))"
frames_running=$(metric standview_frames_total "$metrics_running")
number_at_least "$frames_running" 1 || e2e_fail "metrics: $frames_running frames while the show runs"
e2e_log "metrics while running: $cubes_key_starts $cubes_starts, standview_frames_total $frames_running"

# F1: the window goes and a full-screen one comes: the desktop switched to the program's mode and a
# window without a frame over all of it. The show starts again at the start screen and goes on.
old_window=$E2E_MAIN
desktop_before=$(desktop_geometry)
e2e_press F1 0.5
new_window_shown() { main_window_shown && [ "$E2E_MAIN" != "$old_window" ]; }
e2e_wait_for "$wine_window_seconds" new_window_shown || e2e_fail "F1 made no new window"
[ "${E2E_GEOMETRY%%+*}" = "${E2E_WIDTH}x${E2E_HEIGHT}" ] ||
    e2e_fail "the client area after F1 is ${E2E_GEOMETRY%%+*}, not ${E2E_WIDTH}x${E2E_HEIGHT}"
desktop_after=$(desktop_geometry)
[ "$desktop_after" = "${E2E_WIDTH}x${E2E_HEIGHT}+0+0" ] ||
    e2e_fail "after F1 the desktop is $desktop_after (was $desktop_before), not switched to ${E2E_WIDTH}x${E2E_HEIGHT}"
[ "$(e2e_geometry "$E2E_MAIN")" = "$E2E_GEOMETRY" ] || e2e_fail "the window after F1 has a frame: $(e2e_geometry "$E2E_MAIN")"
e2e_log "F1: new window $E2E_MAIN (was $old_window) without a frame, the desktop $desktop_before -> $desktop_after"
activate_program
check_start_screen after-toggle
moved=""
e2e_wait_for "$E2E_START_SECONDS" moving_in after-toggle-models "$lower_half" ||
    e2e_fail "after F1 the frames stand still (difference ${moved:-none})"
e2e_log "after F1 the models move: the lower half changed by $moved"

escape_at=$(date +%s.%N)
e2e_press Escape 0.5
e2e_wait_exit "$E2E_EXIT_SECONDS" || e2e_fail "the program did not end after Escape"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after Escape"
e2e_log "Escape: the program ended with exit code 0"

# The figures as the show left them: written once more at the end, so after the key and with more
# frames than before; after F1 the show is back at the start screen.
[ -s "$metrics_file" ] || e2e_fail "metrics: no $metrics_file after the run"
verdict=$(promtool check metrics <"$metrics_file" 2>&1) || e2e_fail "metrics: promtool refuses the file: $verdict"
written_at=$(date -r "$metrics_file" +%s.%N)
awk -v w="$written_at" -v e="$escape_at" 'BEGIN { exit !(w >= e) }' ||
    e2e_fail "metrics: last written at $written_at, before Escape at $escape_at"
frames_exit=$(metric standview_frames_total "$metrics_file") || e2e_fail "metrics: no standview_frames_total"
awk -v x="$frames_exit" -v r="$frames_running" 'BEGIN { exit !(x > r) }' ||
    e2e_fail "metrics: $frames_exit frames at the end, $frames_running while running"
e2e_log "metrics at the end: promtool accepts them, written $(awk -v w="$written_at" -v e="$escape_at" 'BEGIN { printf "%.1f", w - e }') s after Escape, standview_frames_total $frames_running -> $frames_exit"
content_ok=$(metric standview_content_ok "$metrics_file")
[ "$content_ok" = 1 ] || e2e_fail "metrics: standview_content_ok ${content_ok:-missing}"
shown_scenes=$(awk '$1 ~ /^standview_scene\{/ && $2 == 1 { printf "%s%s 1", sep, $1; sep = ", " }' "$metrics_file")
[ "$shown_scenes" = 'standview_scene{scene="mainscreen"} 1' ] ||
    e2e_fail "metrics: the scenes at 1 are \"$shown_scenes\", not the start screen alone"
info=$(grep -E '^standview_info\{version="[^"]+",glow="(exact|fast)"\} 1$' "$metrics_file") ||
    e2e_fail "metrics: no standview_info with a version and glow: $(grep '^standview_info' "$metrics_file")"
horse_starts=$(metric 'standview_scene_starts_total{scene="horse",cause="key"}' "$metrics_file")
cubes_starts=$(metric "$cubes_key_starts" "$metrics_file")
number_at_least "$horse_starts" 1 && number_at_least "$cubes_starts" 1 ||
    e2e_fail "metrics: key starts of horse ${horse_starts:-missing}, of cubes ${cubes_starts:-missing}"
e2e_log "metrics at the end: standview_content_ok 1, $shown_scenes, $info, key starts of horse $horse_starts and cubes $cubes_starts"
left=$(ls -A "$monitor_dir" | tr '\n' ' ')
[ "$left" = "snapshot.png standview.prom " ] || e2e_fail "the folder of the figures and snapshot holds: $left"
# The snapshot of the last second, the start screen: its picture over the frame's background, which a
# flipped frame or swapped colours would not show.
format=$(identify -format '%m %wx%h' "$snapshot_file" 2>&1)
[ "$format" = "PNG $snapshot_size" ] || e2e_fail "snapshot: not a $snapshot_size PNG: $format"
start_picture=""
E2E_AREA_LEFT=0 E2E_AREA_WIDTH=$snapshot_width E2E_AREA_HEIGHT=$snapshot_height start_picture_shown "$snapshot_file" ||
    e2e_fail "snapshot: no start picture: $start_picture"
e2e_log "snapshot: $format showing $start_picture; nothing else left beside the two files"

# --- Native full screen ---------------------------------------------------------------------------

# The desktop made again at the other size and the program started into full screen with --screen
# native: a frameless window over the whole desktop, which keeps its size (a mode switch would resize
# it, as F1 in the walk did), the start picture in the centred 4:3 area, round, the sides filled. F1
# gives the 800x600 window and then the native full screen again, in the same desktop.
start_desktop "$native_size"
(cd "$E2E_RUN" && exec wine standview.exe --fullscreen --screen native) >"$E2E_WORK/program.log" 2>&1 &
E2E_APP_PID=$!
covers_desktop() { main_window_shown && [ "$E2E_GEOMETRY" = "$native_size+0+0" ]; }
check_native_window() { # WHAT
    e2e_wait_for "$wine_window_seconds" covers_desktop ||
        e2e_fail "$1: the window is ${E2E_GEOMETRY:-not shown}, not the desktop's $native_size+0+0"
    [ "$(e2e_geometry "$E2E_MAIN")" = "$E2E_GEOMETRY" ] || e2e_fail "$1: the window has a frame: $(e2e_geometry "$E2E_MAIN")"
    desktop_sized "$native_size" || e2e_fail "$1: the desktop is $(desktop_geometry)"
}
check_native_window "native full screen"
E2E_AREA_LEFT=$native_area_left
E2E_AREA_WIDTH=$native_area_width
E2E_AREA_HEIGHT=$native_height
native_picture_shown() { fail_on_error_box && e2e_shot native-poll && start_picture_shown "$E2E_SHOT"; }
start_picture=""
e2e_wait_for $((wine_window_seconds + E2E_START_SECONDS)) native_picture_shown ||
    e2e_fail "native: the start picture does not fill the centred ${native_area_width}-wide area: $start_picture"
e2e_keep native
e2e_log "native: window $E2E_GEOMETRY without a frame, the desktop as it was; the start picture $start_picture"

# The composition's pixels on the native screen.
scaled() { echo $(($1 * native_height / E2E_HEIGHT)); }
disc_region="$(scaled "${disc_region_composed[0]}")x$(scaled "${disc_region_composed[1]}")"
disc_region+="+$((native_area_left + $(scaled "${disc_region_composed[2]}")))+$(scaled "${disc_region_composed[3]}")"
disc_width_expected=$((native_area_width * disc_picture_columns / picture_columns))
disc_height_expected=$((native_height * picture_height_percent / 100 * disc_picture_rows / picture_rows))
read -r disc_width disc_height < <(convert "$E2E_SHOT" -crop "$disc_region" +repage -fuzz "$disc_fuzz" \
    -fill black +opaque "$disc_colour" -fill white -opaque "$disc_colour" -trim -format '%w %h\n' info:)
awk -v w="$disc_width" -v h="$disc_height" -v ew="$disc_width_expected" -v eh="$disc_height_expected" \
    -v r="$round_percent" -v s="$size_percent" '
    function off(a, b) { return 100 * (a > b ? a - b : b - a) / b }
    BEGIN { exit !(off(w, h) <= r && off(w, ew) <= s && off(h, eh) <= s) }' ||
    e2e_fail "native: the fourth button's disc is ${disc_width}x${disc_height}, not round at ${disc_width_expected}x${disc_height_expected}"
for side in "${native_area_left}x${native_height}+0+0" "${native_area_left}x${native_height}+$((native_area_left + native_area_width))+0"; do
    share=$(e2e_colour_fraction "$E2E_SHOT" "$side" "$background")
    awk -v s="$share" -v min="$side_share" 'BEGIN { exit !(s >= min) }' ||
        e2e_fail "native: the side $side shows the background in only $share of its pixels"
done
e2e_log "native: the disc ${disc_width}x${disc_height}, both sides filled"

# Each F1 is waited for by its new window; the show's start behind it is the walk's to check.
old_window=$E2E_MAIN
activate_program
e2e_press F1 0.5
e2e_wait_for "$wine_window_seconds" new_window_shown || e2e_fail "native: F1 made no new window"
[ "${E2E_GEOMETRY%%+*}" = "${E2E_WIDTH}x${E2E_HEIGHT}" ] ||
    e2e_fail "native: the client area after F1 is ${E2E_GEOMETRY%%+*}, not ${E2E_WIDTH}x${E2E_HEIGHT}"
[ "$(e2e_geometry "$E2E_MAIN")" != "$E2E_GEOMETRY" ] || e2e_fail "native: the window after F1 has no frame"
desktop_sized "$native_size" || e2e_fail "native: after F1 the desktop is $(desktop_geometry)"
e2e_log "native: F1 gives a window with a frame, client area $E2E_GEOMETRY"
old_window=$E2E_MAIN
activate_program
e2e_press F1 0.5
e2e_wait_for "$wine_window_seconds" new_window_shown || e2e_fail "native: the second F1 made no new window"
check_native_window "native after F1 twice"
e2e_log "native: F1 again covers the desktop, $E2E_GEOMETRY"

activate_program
e2e_press Escape 0.5
e2e_wait_exit "$E2E_EXIT_SECONDS" || e2e_fail "native: the program did not end after Escape"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "native: exit code $E2E_EXIT_CODE after Escape"
echo "PASS: the zip's program under Wine: question, start screen, the horse's scroll and music, the video cubes, F1 to full screen, Escape, the figures and snapshot it wrote; --screen native on a $native_size desktop: covered without a mode switch, the picture in the centred area, the disc round, the sides filled, F1 to a window and back"
