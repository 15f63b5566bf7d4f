# shellcheck shell=bash disable=SC2034,SC2154 # sourced by walk.sh, whose names it shares
# The Linux part of the walk (walk.sh): the program on a virtual X server of its own, its status on a
# notification socket of the test's own, the music through SDL's disk driver into a file. Needs Xvfb,
# xdotool, xwininfo, xprop, ImageMagick, sox and python3.

# The frame's background: the orange clear colour (229,121,34) with the glow's twenty layers of the
# small render's white background added on top (alphas summing to 0.63): (255,255,195) once clamped.
readonly background="rgb(255,255,195)"
readonly audio_lag_seconds=1
# The share of a scroll's rows that may show for "nothing yet".
readonly none_fraction=0.1
readonly poll_pause_seconds=0.5
readonly first_frame_seconds=$E2E_START_SECONDS
# The video stage's title shows long before its time-out: H is never pressed again.
readonly keep_alive_seconds=$E2E_FLIGHT_SECONDS
readonly key_hold_seconds=0
readonly whole_walk=yes
readonly scene_timeout_seconds=35
# How much later than its 35 s the start screen may come back: the status comes after a frame, and a
# frame takes up to seconds on a busy machine or under the sanitizers.
readonly scene_timeout_slack_seconds=10

system_start() { # PROGRAM [without-time-out]
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
    metrics_file="$E2E_WORK/standview.prom"
    metrics_now="$E2E_WORK/metrics-now.prom"
    e2e_start_program --metrics "$metrics_file"
    e2e_answer_question no
    e2e_wait_main_window
    e2e_log "window $E2E_MAIN, client area $E2E_GEOMETRY"
}

still_up() { e2e_running || e2e_fail "the program ended"; }
showing() { e2e_showing "$1"; }
signal_text() { echo "the status is $(e2e_last_status)"; }

# start_scene KEY SCENE NAME: holds the key until the status names the scene.
start_scene() {
    e2e_hold "$1" "$E2E_START_SECONDS" e2e_showing "$2" || e2e_fail "$3: ${1^^} did not start $2; $(signal_text)"
    e2e_log "$3: ${1^^} started $2"
}

# The start screen's picture, and once the camera looks at them, the models with their glow below.
start_screen_in() { start_screen_shown "$1"; }
lower_half_text() { echo "${plain:-?} background, ${halo:-?} orange glow, ${models:-?} models"; }

# The video stage hands back to the start screen after its 35 s, as its status shows.
check_time_out() {
    local back_after
    e2e_log "waiting for the video stage's time to run out"
    e2e_wait_for $((scene_timeout_seconds + E2E_FLIGHT_SECONDS)) e2e_showing mainscreen ||
        e2e_fail "the start screen did not come back; $(signal_text)"
    back_after=$(awk -v a="$(e2e_status_time cubes)" -v b="$(e2e_status_time mainscreen)" \
        'BEGIN { printf "%.1f", b - a }')
    awk -v t="$back_after" -v low=$((scene_timeout_seconds - 1)) \
        -v high=$((scene_timeout_seconds + scene_timeout_slack_seconds)) 'BEGIN { exit !(t >= low && t <= high) }' ||
        e2e_fail "the start screen came back $back_after s after the video stage started"
    check_start_screen start-again
    e2e_log "the start screen came back $back_after s after the video stage started"
}

# A full-screen window is made topmost, which X shows as the "above" state; a plain window is not.
topmost() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }
old_window_gone() { ! e2e_viewable "$old_window"; }
new_window() { local id; id=$(e2e_window_id "$E2E_TITLE"); [ -n "$id" ] && [ "$id" != "$old_window" ]; }
toggle_window() {
    old_window=$E2E_MAIN
    ! topmost "$old_window" || e2e_fail "the window asked for with No is topmost, as a full-screen one"
    e2e_hold F1 "$E2E_START_SECONDS" old_window_gone || e2e_fail "F1 did not take the window away"
    e2e_wait_for "$E2E_START_SECONDS" new_window || e2e_fail "F1 made no new window"
    still_up
    e2e_wait_main_window
    topmost "$E2E_MAIN" || e2e_fail "the window after F1 is not topmost: not in full-screen mode"
    e2e_log "F1: new window $E2E_MAIN (was $old_window), topmost as a full-screen window, client area $E2E_GEOMETRY"
}

after_walk() {
    local timed_out=", its time-out"
    [ "$time_out" = yes ] || timed_out=" (its time-out not waited for)"
    echo "PASS: start screen, three exhibits with scroll and music, the video stage$timed_out, F1 and Escape"
}
