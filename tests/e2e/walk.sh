#!/usr/bin/env bash
# One walk through the presentation as an operator at the booth would take it: the Linux program on a
# virtual X server (walk-linux.sh), or the Windows build's zip under Wine (walk-wine.sh). Each key is
# held until the program itself says that the scene it starts has started: on Linux its status on a
# notification socket of the test's own, under Wine (no service manager) the figures it writes with
# --metrics. Screenshots check only what the picture must show; the music output is recorded. On both:
#   the start screen: one of its pictures over the top, the models on the background below, silence;
#   L: the horse's flight, its scroll unrolling from the top, then whole, and its track playing;
#   H: the movie carousel under its title, the front cube's movie running below the still title, and
#      the music stopped;
#   F1: a new window in the other mode (full screen), the start screen again, the models moving;
#   Escape: the end of the run with exit code 0.
# On Linux also: K and J as L; the start screen back once the video stage's 35 s have run out (as its
# status shows, within their time); J again, whose track was the last one played, playing it again;
# the window topmost after F1 and K's track heard again in it.
# Under Wine also: the zip's contents; the question answered with N; the window's frame; F1 switching
# Wine's desktop to the program's mode; the figures and snapshot the program wrote; and full screen
# with --screen native on a desktop of another shape. The exhibits' time-out is left there to the
# in-process tests, which run on Windows too, and to the Linux walk.
#
# Usage: walk.sh linux PROGRAM [without-time-out]
#        walk.sh wine BUILD_DIR (the directory scripts/build-windows.sh wrote, holding the zip)
# With without-time-out, J follows H at once rather than after the video stage's time-out, which takes
# 35 s of real time: the in-process tests cover it on a fake clock, and one walk waits for it.
# E2E_KEEP_SHOTS=DIR keeps every screenshot in DIR.
set -uo pipefail
here=$(dirname "$0")
source "$here/lib.sh"
source "$here/pictures.sh"
# shellcheck source=walk-linux.sh # the Wine part sets the same names
case "${1:-}" in
linux | wine) source "$here/walk-$1.sh" ;;
*) echo "usage: $0 linux PROGRAM [without-time-out] | wine BUILD_DIR" >&2; exit 2 ;;
esac
shift

# Music: the levels of playing music and of silence (a sixteen-bit sample of 1 is 0.00003).
readonly audio_audible_peak=0.05
readonly audio_silent_peak=0.001
# Mean difference, 0 to 255, of a region whose picture moves; how long a movie may take to show one
# (a frame takes seconds under Wine on a loaded machine).
readonly moving_difference=3
readonly moving_seconds=30
readonly lower_half="${E2E_WIDTH}x$((E2E_HEIGHT / 2))+0+$((E2E_HEIGHT / 2))"
# The front cube plays its movie in the middle of the frame, below the title.
readonly front_cube="$((E2E_WIDTH * 40 / 100))x$((E2E_HEIGHT * 40 / 100))+$((E2E_WIDTH * 30 / 100))+$((E2E_HEIGHT * 35 / 100))"
readonly title_region="$((E2E_WIDTH / 2))x$((E2E_HEIGHT * 20 / 100))+$((E2E_WIDTH / 4))+$((E2E_HEIGHT * 3 / 100))"

# The movie pictures the figures must count while the cubes show, within the time a movie may take to
# show one plus two of the figures' 10 s writes: more than the cubes there are, so that a movie that
# stands still, which still puts its first picture up, counts as standing still.
readonly movie_frames_wanted=8
readonly movie_frames_seconds=$((moving_seconds + 20))

# --- The figures (--metrics) ----------------------------------------------------------------------

# metric NAME [FILE]: the value of the sample of that name (labels as the show writes them) in the
# figures last read; fails when there is none.
metric() { awk -v n="$1" '$1 == n { print $2; found = 1 } END { exit !found }' "${2:-$metrics_now}"; }
# A copy, as the show replaces the file while it runs.
read_figures() { still_up; cp "$metrics_file" "$metrics_now" 2>/dev/null; }
movie_frames_since() { # COUNT: true once the figures count movie_frames_wanted more movie pictures.
    read_figures && movie_frames=$(metric standview_movie_frames_total) &&
        [ "$movie_frames" -ge $(($1 + movie_frames_wanted)) ]
}

# --- Pictures and music ---------------------------------------------------------------------------

e2e_keep() { # NAME: keeps the last screenshot under that name too.
    cp "$E2E_SHOT" "$E2E_WORK/$1.png"
    if [ -n "${E2E_KEEP_SHOTS:-}" ]; then cp "$E2E_SHOT" "$E2E_KEEP_SHOTS/$1.png"; fi
}

start_screen_now() {
    still_up
    e2e_shot "$1"
    start_screen_in "$E2E_SHOT"
}

check_start_screen() { # NAME
    start_picture="" plain=""
    e2e_wait_for "$E2E_FLIGHT_SECONDS" start_screen_now "$1" ||
        e2e_fail "$1: no start screen: the top shows ${start_picture:-nothing}; lower half: $(lower_half_text)"
    e2e_log "$1: the top shows $start_picture; lower half: $(lower_half_text)"
}

# moving_in NAME REGION: whether a new screenshot differs in the region from the first one taken
# under that name; the first call takes it.
moving_in() {
    still_up
    if [ ! -e "$E2E_WORK/$1-first.png" ]; then
        e2e_shot "$1-first"
        return 1
    fi
    e2e_shot "$1-later"
    moved=$(e2e_mean_difference "$E2E_WORK/$1-first.png" "$E2E_SHOT" "$2")
    number_at_least "$moved" "$moving_difference"
}

readonly audio_lag_bytes=$((audio_lag_seconds * E2E_AUDIO_RATE * E2E_AUDIO_FRAME_BYTES))
# audible_since BYTES: whether the recording after that offset (and the lag) reaches the music's level.
audible_since() {
    still_up
    peak=$(e2e_audio_peak $(($1 + audio_lag_bytes)) "$(e2e_audio_bytes)")
    number_at_least "$peak" "$audio_audible_peak"
}
# silent_since BYTES NAME: the recording goes on for a second past the offset and the lag, in silence.
silent_since() {
    e2e_wait_for "$E2E_START_SECONDS" recorded_past "$1" 1 || e2e_fail "$2: the recording stopped growing"
    peak=$(e2e_audio_peak $(($1 + audio_lag_bytes)) "$(e2e_audio_bytes)")
    ! number_at_least "$peak" "$audio_silent_peak" || e2e_fail "$2: music (peak $peak)"
    e2e_log "$2: the music output is silent, peak $peak"
}
recorded_past() { # BYTES SECONDS
    [ "$(e2e_audio_bytes)" -ge $(($1 + audio_lag_bytes + $2 * E2E_AUDIO_RATE * E2E_AUDIO_FRAME_BYTES)) ]
}

# --- The scenes -----------------------------------------------------------------------------------

# visit_exhibit KEY SCENE SCROLL NAME: the key starts the scene; after the flight its scroll unrolls
# from the top and its track plays. The screen is captured all the while, so that a screenshot of the
# three-second reveal is there to check even when checking one takes longer than the reveal.
visit_exhibit() {
    local key=$1 scene=$2 scroll=$3 name=$4
    local audio_before started shown=0 total=0 boundary below whole="" whole_capture="" early="" seen="" shot
    audio_before=$(e2e_audio_bytes)
    e2e_capture_start
    start_scene "$key" "$scene" "$name"
    started=$SECONDS
    while [ $((SECONDS - started)) -lt "$E2E_FLIGHT_SECONDS" ]; do
        still_up
        # Each look takes the processor from the program and the capture, which on a busy machine
        # then took too few screenshots to catch the reveal.
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
    # Before the whole scroll the screenshots show it partly, from the top, with next to nothing below
    # its lower edge; before that not at all.
    for shot in $(e2e_captured_back_from "$whole_capture"); do
        e2e_capture_shot "$shot" "$name-early-poll"
        read -r shown total boundary below < <(scroll_rows "$E2E_SHOT" "$scroll")
        seen="$seen $shown"
        fraction_at_least "$shown" "$total" "$whole_fraction" && [ -z "$early" ] && continue
        if [ "$shown" -lt "$boundary_run" ] || fraction_below "$shown" "$total" "$none_fraction"; then break; fi
        fraction_below "$shown" "$total" "$whole_fraction" ||
            e2e_fail "$name: the whole scroll showed before a partly unrolled one (rows shown, newest first:$seen)"
        [ "$below" -le 5 ] ||
            e2e_fail "$name: a partly shown scroll ($shown of $total rows) shows $below rows below row $boundary"
        e2e_keep "$name-early"
        early="$shown of $total rows, all but $below of them above row $boundary"
    done
    [ -n "$early" ] ||
        e2e_fail "$name: no screenshot caught the scroll partly unrolled from the top (rows shown, newest first:$seen)"
    e2e_log "$name: early in the reveal $early; later the whole scroll, $whole"
    peak=""
    e2e_wait_for "$E2E_START_SECONDS" audible_since "$audio_before" ||
        e2e_fail "$name: the music output stays silent (peak ${peak:-none}, $(e2e_audio_bytes) bytes)"
    e2e_log "$name: music playing, peak $peak"
}

title_shown() {
    still_up
    e2e_shot cubes-poll
    read -r shown total _ _ < <(title_rows "$E2E_SHOT")
    fraction_at_least "$shown" "$total" "$title_fraction"
}

visit_cubes() {
    local audio_at_start started presses=1 shown=0 total=0 moved="" still movie_frames_before movie_frames=""
    read_figures
    movie_frames_before=$(metric standview_movie_frames_total) || e2e_fail "cubes: the figures count no movie pictures"
    start_scene h cubes cubes
    audio_at_start=$(e2e_audio_bytes)
    started=$SECONDS
    # The stage's time-out counts from the key, flight included, and a flight at a few frames a second
    # can outlast it: where that is so, the stage's key gives it more time, as a visitor keeps it going.
    until e2e_wait_for "$keep_alive_seconds" title_shown; do
        [ $((SECONDS - started)) -lt "$E2E_FLIGHT_SECONDS" ] || e2e_fail "cubes: the title never showed ($shown of $total rows)"
        e2e_press h "$key_hold_seconds"
        presses=$((presses + 1))
    done
    e2e_log "cubes: the title shows ($shown of $total rows) $((SECONDS - started)) s after the start, H pressed $presses times"
    e2e_wait_for "$moving_seconds" moving_in cubes "$front_cube" ||
        e2e_fail "cubes: the front cube's movie stands still (difference ${moved:-none})"
    still=$(e2e_mean_difference "$E2E_WORK/cubes-first.png" "$E2E_SHOT" "$title_region")
    awk -v s="$still" -v m="$moved" 'BEGIN { exit !(s < m / 3) }' ||
        e2e_fail "cubes: the title changed as much as the front cube ($still against $moved)"
    e2e_log "cubes: the front cube changed by $moved, the title by $still"
    e2e_wait_for "$movie_frames_seconds" movie_frames_since "$movie_frames_before" ||
        e2e_fail "cubes: the movies put up ${movie_frames:-no} pictures in all, $movie_frames_before before the stage"
    e2e_log "cubes: the movies put up $((movie_frames - movie_frames_before)) new pictures"
    silent_since "$audio_at_start" cubes
}

# --- The walk -------------------------------------------------------------------------------------

system_start "$@"
e2e_wait_for "$first_frame_seconds" showing mainscreen || e2e_fail "the start screen never started; $(signal_text)"
check_start_screen start-screen
silent_since 0 "start screen"

visit_exhibit l horse ScrollTrogan.tga horse
if [ "$whole_walk" = yes ]; then
    visit_exhibit k mountain ScrollOlympus.tga mountain
    visit_exhibit j parthenon ScrollParthenon.tga parthenon
fi
visit_cubes
if [ "$whole_walk" = yes ]; then
    [ "$time_out" = no ] || check_time_out
    # The Parthenon's track was the last one played before the video stage stopped the music: entered
    # again, the exhibit plays it again.
    visit_exhibit j parthenon ScrollParthenon.tga parthenon-again
fi

# F1: the window goes and one in the other mode comes; the show goes on there.
toggle_window
check_start_screen after-toggle
moved=""
e2e_wait_for "$E2E_START_SECONDS" moving_in after-toggle-models "$lower_half" ||
    e2e_fail "after F1 the frames stand still (difference ${moved:-none})"
e2e_log "after F1 the models move: the lower half changed by $moved"
# The music player outlives the window: the mountain's track is heard again in the new one.
[ "$whole_walk" = no ] || visit_exhibit k mountain ScrollOlympus.tga mountain-after-toggle

# shellcheck disable=SC2034 # the Wine part's figures must be written after it
escape_at=$(date +%s.%N)
e2e_hold Escape "$E2E_EXIT_SECONDS" e2e_ended || e2e_fail "the program did not end after Escape"
e2e_wait_exit 1 || e2e_fail "cannot collect the program's exit code"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after Escape"
e2e_log "Escape: the program ended with exit code 0"
after_walk
