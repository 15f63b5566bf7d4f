#!/usr/bin/env bash
# One walk through the whole presentation on a virtual X server, as an operator at the booth would
# take it, checking screenshots and the music output at each step:
#   the start screen (its picture over the top 45 %, the models on the orange background below);
#   L, K and J: each exhibit's flight, its scroll unrolled from the top, its track playing;
#   H: the movie carousel under its title, moving, and the music silenced;
#   the start screen back once the video stage's 35 s have run out;
#   J again: the exhibit whose track was the last one played plays it again;
#   F1: a new window in the other mode (full screen, so topmost), where the show goes on (K brings the
#       mountain's scroll and its track again);
#   Escape: the end of the run with exit code 0.
# Each key is held until the program's status (on a notification socket of the test's own) names the
# scene the key starts, or until the window or the program has gone.
#
# Usage: scenes.sh PROGRAM [without-time-out]
# With without-time-out, J follows H at once rather than after the video stage's time-out, which takes
# 35 s of real time: the in-process tests cover it on a fake clock, and one walk waits for it.
# E2E_KEEP_SHOTS=DIR keeps every screenshot in DIR.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"

# The share of a picture's rows that may show for "nothing yet".
readonly none_fraction=0.1
readonly poll_pause_seconds=0.5
readonly scene_timeout_seconds=35
# How much later than its 35 s the start screen may come back: the status comes after a frame, and a
# frame takes up to seconds on a busy machine or under the sanitizers.
readonly scene_timeout_slack_seconds=10
# Music: the output lags the request by the mixer's buffers; the peak level of playing music.
readonly audio_lag_seconds=1
readonly audio_audible_peak=0.05
# Below this the output is silence (a sixteen-bit sample of 1 is 0.00003).
readonly audio_silent_peak=0.001
# The frame's background: the orange clear colour (229,121,34) with the glow's twenty layers of the
# small render's white background added on top (alphas summing to 0.63): (255,255,195) once clamped.
readonly background="rgb(255,255,195)"

# --- Music checks ---------------------------------------------------------------------------------

# audio_peak_since BYTES: the peak of the music written since that offset, skipping the output's lag.
audio_peak_since() {
    e2e_audio_peak $(($1 + audio_lag_seconds * E2E_AUDIO_RATE * E2E_AUDIO_FRAME_BYTES)) "$(e2e_audio_bytes)"
}

# --- The walk -------------------------------------------------------------------------------------

start_screen_now() {
    e2e_shot "$1"
    start_screen_shown "$E2E_SHOT"
}

check_start_screen() { # NAME
    start_picture="" plain="" halo="" models=""
    e2e_wait_for "$E2E_START_SECONDS" start_screen_now "$1" ||
        e2e_fail "$1: no start screen: the top shows ${start_picture:-nothing}; lower half: $plain background, $halo glow, $models models"
    e2e_log "$1: the top shows $start_picture; lower half: $plain background, $halo orange glow, $models models"
}

# e2e_keep NAME: keeps the last screenshot under that name too.
e2e_keep() {
    cp "$E2E_SHOT" "$E2E_WORK/$1.png"
    if [ -n "${E2E_KEEP_SHOTS:-}" ]; then cp "$E2E_SHOT" "$E2E_KEEP_SHOTS/$1.png"; fi
}

# start_scene KEY SCENE NAME: holds the key until the status names the scene.
start_scene() {
    e2e_hold "$1" "$E2E_START_SECONDS" e2e_showing "$2" ||
        e2e_fail "$3: $1 did not start $2; the status is $(e2e_last_status)"
    e2e_log "$3: $1 started $2"
}

# visit_exhibit KEY SCENE SCROLL NAME: presses the key, follows the flight and the reveal, checks the
# music. The screen is captured all the while, so that a screenshot of the three-second reveal is there
# to check even when checking one takes longer than the reveal.
visit_exhibit() {
    local key=$1 scene=$2 scroll=$3 name=$4
    local audio_before pressed shown=0 total=0 boundary below early="" whole="" whole_capture="" shot seen=""
    audio_before=$(e2e_audio_bytes)
    e2e_capture_start
    start_scene "$key" "$scene" "$name"
    pressed=$(date +%s)
    while [ $(($(date +%s) - pressed)) -lt "$E2E_FLIGHT_SECONDS" ]; do
        # Each look takes the processor from the program and the capture, which under the sanitizers
        # on a busy machine then took too few screenshots to catch the three-second reveal.
        sleep "$poll_pause_seconds"
        e2e_newest_capture "$name-poll" || continue
        read -r shown total boundary below < <(scroll_rows "$E2E_SHOT" "$scroll")
        if fraction_at_least "$shown" "$total" "$whole_fraction"; then
            e2e_keep "$name-whole"
            whole_capture=$E2E_CAPTURED
            whole="$shown of $total rows"
            break
        fi
    done
    e2e_capture_stop
    [ -n "$whole" ] || e2e_fail "$name: the scroll $scroll never showed whole ($shown of $total rows at last)"
    # During the flight nothing of the scroll shows; then it unrolls from the top: the screenshots
    # just before the whole scroll show its top part, with next to nothing below its lower edge.
    for shot in $(e2e_captured_back_from "$whole_capture"); do
        e2e_capture_shot "$shot" "$name-early-poll"
        read -r shown total boundary below < <(scroll_rows "$E2E_SHOT" "$scroll")
        seen="$seen $shown"
        fraction_at_least "$shown" "$total" "$whole_fraction" && continue
        fraction_below "$shown" "$total" "$none_fraction" && break
        [ "$below" -le 5 ] ||
            e2e_fail "$name: a partly shown scroll ($shown of $total rows) shows $below rows below row $boundary"
        e2e_keep "$name-early"
        early="$shown of $total rows, all but $below of them above row $boundary"
        break
    done
    [ -n "$early" ] ||
        e2e_fail "$name: no screenshot caught the scroll partly unrolled from the top (rows shown, newest first:$seen)"
    e2e_log "$name: early in the reveal: $early"
    e2e_log "$name: later the whole scroll: $whole"
    local peak
    peak=$(audio_peak_since "$audio_before")
    number_at_least "$peak" "$audio_audible_peak" || e2e_fail "$name: the music output stays silent (peak $peak)"
    e2e_log "$name: music playing, peak $peak"
}

visit_cubes() {
    local audio_before pressed shown total
    start_scene H cubes cubes
    pressed=$(date +%s)
    audio_before=$(e2e_audio_bytes)
    while :; do
        e2e_shot cubes-a
        read -r shown total _ _ < <(title_rows "$E2E_SHOT")
        fraction_at_least "$shown" "$total" "$title_fraction" && break
        [ $(($(date +%s) - pressed)) -lt "$E2E_FLIGHT_SECONDS" ] ||
            e2e_fail "cubes: the title never showed ($shown of $total rows)"
    done
    e2e_log "cubes: the title shows ($shown of $total rows)"
    sleep 1
    e2e_shot cubes-b
    # The front cube plays its movie in the middle of the frame, below the title; the title stands still.
    local front="$((E2E_WIDTH * 40 / 100))x$((E2E_HEIGHT * 40 / 100))+$((E2E_WIDTH * 30 / 100))+$((E2E_HEIGHT * 35 / 100))"
    local title_region="$((E2E_WIDTH / 2))x$((E2E_HEIGHT * 20 / 100))+$((E2E_WIDTH / 4))+$((E2E_HEIGHT * 3 / 100))"
    local moved still
    moved=$(e2e_mean_difference "$E2E_WORK/cubes-a.png" "$E2E_WORK/cubes-b.png" "$front")
    still=$(e2e_mean_difference "$E2E_WORK/cubes-a.png" "$E2E_WORK/cubes-b.png" "$title_region")
    number_at_least "$moved" 3 || e2e_fail "cubes: the front cube did not change in a second (difference $moved)"
    awk -v s="$still" -v m="$moved" 'BEGIN { exit !(s < m / 3) }' ||
        e2e_fail "cubes: the title changed as much as the front cube ($still against $moved)"
    e2e_log "cubes: a second later the front cube differs by $moved, the title by $still"
    local peak
    peak=$(audio_peak_since "$audio_before")
    ! number_at_least "$peak" "$audio_silent_peak" ||
        e2e_fail "cubes: the music went on (peak $peak)"
    e2e_log "cubes: the music is silent, peak $peak"
}

e2e_init "$1"
time_out=yes
case "${2:-}" in
"") ;;
without-time-out) time_out=no ;;
*) e2e_fail "unknown option '$2'" ;;
esac
e2e_start_xvfb
e2e_start_notify_listener
e2e_make_run_dir
e2e_start_program
e2e_answer_question no
e2e_wait_main_window
e2e_log "window $E2E_MAIN, client area $E2E_GEOMETRY"

check_start_screen start-screen
silence=$(e2e_audio_peak 0 "$(e2e_audio_bytes)")
! number_at_least "$silence" "$audio_silent_peak" || e2e_fail "music before any exhibit (peak $silence)"
e2e_log "start screen: no music (peak $silence)"

visit_exhibit L horse ScrollTrogan.tga horse
visit_exhibit K mountain ScrollOlympus.tga mountain
visit_exhibit J parthenon ScrollParthenon.tga parthenon
visit_cubes

# The video stage hands back to the start screen after its 35 s, as its status shows.
if [ "$time_out" = yes ]; then
    e2e_log "waiting for the video stage's time to run out"
    e2e_wait_for $((scene_timeout_seconds + E2E_FLIGHT_SECONDS)) e2e_showing mainscreen ||
        e2e_fail "the start screen did not come back; the status is $(e2e_last_status)"
    back_after=$(awk -v a="$(e2e_status_time cubes)" -v b="$(e2e_status_time mainscreen)" \
        'BEGIN { printf "%.1f", b - a }')
    awk -v t="$back_after" -v low=$((scene_timeout_seconds - 1)) \
        -v high=$((scene_timeout_seconds + scene_timeout_slack_seconds)) 'BEGIN { exit !(t >= low && t <= high) }' ||
        e2e_fail "the start screen came back $back_after s after the video stage started"
    check_start_screen start-again
    e2e_log "the start screen came back $back_after s after the video stage started"
fi
# The Parthenon's track was the last one played before the video stage stopped the music: entered
# again, the exhibit plays it again.
visit_exhibit J parthenon ScrollParthenon.tga parthenon-again

# F1: the window goes and one in the other mode comes; the show goes on there.
# A full-screen window is made topmost, which X shows as the "above" state; a plain window is not.
topmost() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }
old_window=$E2E_MAIN
! topmost "$old_window" || e2e_fail "the window asked for with No is topmost, as a full-screen one"
old_window_gone() { ! e2e_viewable "$old_window"; }
e2e_hold F1 "$E2E_START_SECONDS" old_window_gone || e2e_fail "F1 did not take the window away"
new_window() { local id; id=$(e2e_window_id "$E2E_TITLE"); [ -n "$id" ] && [ "$id" != "$old_window" ]; }
e2e_wait_for "$E2E_START_SECONDS" new_window || e2e_fail "F1 made no new window"
e2e_running || e2e_fail "the program ended after F1"
e2e_wait_main_window
topmost "$E2E_MAIN" || e2e_fail "the window after F1 is not topmost: not in full-screen mode"
e2e_log "F1: new window $E2E_MAIN (was $old_window), topmost as a full-screen window, client area $E2E_GEOMETRY"
check_start_screen after-toggle
# The music player outlives the window: the mountain's track is heard again in the new one.
visit_exhibit K mountain ScrollOlympus.tga mountain-after-toggle

# Escape ends the run.
e2e_hold Escape "$E2E_EXIT_SECONDS" e2e_ended || e2e_fail "the program did not end after Escape"
e2e_wait_exit 1 || e2e_fail "cannot collect the program's exit code"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after Escape"
e2e_log "Escape: the program ended with exit code 0"
timed_out=", its time-out"
[ "$time_out" = yes ] || timed_out=" (its time-out not waited for)"
echo "PASS: start screen, three exhibits with scroll and music, the video stage$timed_out, F1 and Escape"
