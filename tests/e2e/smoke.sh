#!/usr/bin/env bash
# Runs the real program on a virtual X server: answers the full-screen question, checks that frames
# reach the screen (the background in the corners, then the models over the lower half), ends the
# program the way a session manager would (SIGTERM) and checks its exit code.
#
# Usage: smoke.sh PROGRAM ANSWER COLOUR
#   ANSWER  no  (Escape: a window) or yes (Enter: full screen)
#   COLOUR  the colour of the visible frame's background, as ImageMagick names it
set -uo pipefail
source "$(dirname "$0")/lib.sh"

readonly answer=$2
readonly colour=$3
readonly min_colour_fraction=0.999
# Corner squares that neither the models nor the start screen's picture reach.
readonly corner=12
# Share of the lower half of the client area, under the start screen's picture, where models must show.
readonly min_model_fraction=0.05

e2e_init "$1"
e2e_start_xvfb
e2e_make_run_dir
e2e_start_program
e2e_answer_question "$answer"
e2e_wait_main_window
e2e_has_window "$E2E_QUESTION_CAPTION" && e2e_fail "the message box is still there"

corners_shown() {
    e2e_shot frame || return 1
    corners=""
    local part fraction
    for part in "${corner}x${corner}+0+0" "${corner}x${corner}+$((E2E_WIDTH - corner))+0" \
        "${corner}x${corner}+0+$((E2E_HEIGHT - corner))" \
        "${corner}x${corner}+$((E2E_WIDTH - corner))+$((E2E_HEIGHT - corner))"; do
        fraction=$(e2e_colour_fraction "$E2E_SHOT" "$part" "$colour") || return 1
        corners="$corners $fraction"
        awk -v f="$fraction" -v min="$min_colour_fraction" 'BEGIN { exit !(f >= min) }' || return 1
    done
}
models_shown() {
    e2e_shot frame || return 1
    background=$(e2e_colour_fraction "$E2E_SHOT" "${E2E_WIDTH}x$((E2E_HEIGHT / 2))+0+$((E2E_HEIGHT / 2))" \
        "$colour") || return 1
    awk -v f="$background" -v min="$min_model_fraction" 'BEGIN { exit !(1 - f >= min) }'
}
corners=""
e2e_wait_for "$E2E_START_SECONDS" corners_shown ||
    e2e_fail "the corners of the client area $E2E_GEOMETRY are not $colour (fractions:${corners:- unknown})"
background=""
e2e_wait_for "$E2E_FLIGHT_SECONDS" models_shown ||
    e2e_fail "no models over the lower half of the client area (background fraction ${background:-unknown})"
e2e_running || e2e_fail "the program ended on its own"

kill -TERM "$E2E_APP_PID"
e2e_wait_exit "$E2E_EXIT_SECONDS" || e2e_fail "the program did not end on SIGTERM"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after SIGTERM"

echo "PASS: answered $answer; client area $E2E_GEOMETRY: corners $colour, lower half ${background} background; exit code 0"
