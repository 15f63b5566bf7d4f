#!/usr/bin/env bash
# Runs the real program full screen under a window manager on a virtual X server, maps another window
# and gives it the focus: the show must stay mapped and keep drawing (screenshots go on changing).
# Then hangs up on the program, as a closed terminal does: it must end cleanly with exit code 0.
#
# Usage: focus.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/lib.sh"

readonly notice_title="Booth notice"
# Mean difference (0 to 255) above which two screenshots show different frames; a window that stopped
# drawing, or was taken off the screen, gives 0.
readonly min_frame_difference=0.1
readonly frames_checked=3
readonly exit_seconds=30

notice_pid=""
focus_cleanup() {
    local pid
    for pid in "$notice_pid"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    e2e_cleanup
}


# focus_new_frame PREVIOUS: takes a screenshot that differs from PREVIOUS; leaves its path in E2E_SHOT.
focus_difference=""
focus_new_frame() {
    e2e_shot "frame-$E2E_SHOT_COUNT"
    focus_difference=$(e2e_mean_difference "$1" "$E2E_SHOT" "$E2E_GEOMETRY") || return 1
    awk -v d="$focus_difference" -v min="$min_frame_difference" 'BEGIN { exit !(d > min) }'
}

e2e_init "$1"
trap focus_cleanup EXIT
e2e_start_xvfb
e2e_start_window_manager

e2e_make_run_dir
e2e_start_program
e2e_answer_question yes
e2e_wait_main_window
full_screen_now() { e2e_read_geometry && [ "$E2E_GEOMETRY" = "${E2E_WIDTH}x${E2E_HEIGHT}+0+0" ]; }
e2e_wait_for "$E2E_START_SECONDS" full_screen_now || e2e_fail "not full screen: $E2E_GEOMETRY"
e2e_log "full screen; mapping \"$notice_title\""

xmessage -title "$notice_title" -geometry +40+40 "Another program's window" &
notice_pid=$!
e2e_wait_for "$E2E_START_SECONDS" e2e_has_window "$notice_title" || e2e_fail "no \"$notice_title\" window appeared"
notice=$(e2e_window_id "$notice_title")
e2e_wait_for "$E2E_START_SECONDS" e2e_viewable "$notice" || e2e_fail "\"$notice_title\" was never shown"
# The pointer goes along, so that a window manager whose focus follows it leaves the focus there.
xdotool mousemove --window "$notice" 5 5 && xdotool windowfocus --sync "$notice" ||
    e2e_fail "cannot give \"$notice_title\" the focus"
[ "$(xdotool getwindowfocus)" = "$((notice))" ] || e2e_fail "\"$notice_title\" did not get the focus"

e2e_shot "focus-lost"
previous=$E2E_SHOT
for ((frame = 1; frame <= frames_checked; frame++)); do
    sleep 1
    deadline=$((SECONDS + E2E_START_SECONDS))
    until focus_new_frame "$previous"; do
        e2e_viewable "$E2E_MAIN" ||
            e2e_fail "the window was taken off the screen: $(xprop -id "$E2E_MAIN" WM_STATE | tr -s '\n\t' ' ')"
        [ "$SECONDS" -lt "$deadline" ] ||
            e2e_fail "no new frame (${frame} of ${frames_checked}) within ${E2E_START_SECONDS} s after the" \
                "focus went elsewhere (difference ${focus_difference:-unknown})"
        sleep 0.5
    done
    previous=$E2E_SHOT
done
e2e_viewable "$E2E_MAIN" || e2e_fail "the window is no longer mapped"
state=$(xprop -id "$E2E_MAIN" WM_STATE 2>/dev/null | awk '/window state:/ { print $3 }')
[ "$state" = "Normal" ] || e2e_fail "the window's state is ${state:-unknown}, not Normal"
e2e_log "still full screen and drawing without the focus (last difference $focus_difference)"

kill -HUP "$E2E_APP_PID"
e2e_wait_exit "$exit_seconds" || e2e_fail "the program did not end on a hang-up"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after a hang-up"
echo "PASS: full screen kept drawing (${frames_checked} new frames) and mapped ($state) while" \
    "\"$notice_title\" had the focus; exit code 0 after a hang-up"
