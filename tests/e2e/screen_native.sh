#!/usr/bin/env bash
# Runs the real program full screen with --screen native on a 1920x1080 virtual X server: the screen's
# mode must stay as it was, the window must cover the screen, the start picture must show at its 4:3
# proportions in the centred 1440x1080 area (a button's disc as tall as it is wide), and the sides
# beside that area must continue the open background rather than be black. F1 must give an 800x600
# window and then the native full screen again, and Escape end the run with 0.
#
# Usage: screen_native.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/lib.sh"

readonly screen_width=1920
readonly screen_height=1080
# The largest 4:3 area of the screen, centred.
readonly area_width=$((screen_height * 4 / 3))
readonly area_left=$(((screen_width - area_width) / 2))
# The open background as the glow leaves it (as in the scenes' walk).
readonly background="rgb(255,255,195)"
source "$(dirname "$0")/pictures.sh"

# The fourth button's disc: its fill seen through the start picture's alpha over the background, and
# a region of the screen around it that holds no other purple.
readonly disc_colour="rgb(156,106,179)"
readonly disc_fuzz=10%
readonly disc_region="300x250+1300+180"
# Its size in the 1440x486 picture area: 40 of the 512 columns and 59 of the 256 rows of the picture.
readonly disc_expected=112
# Allowed difference of width from height, and of either from the expected size, in per cent.
readonly round_percent=4
readonly size_percent=8
# Share of a side strip that must show the background.
readonly side_share=0.99

e2e_init "$1"
E2E_SCREEN_SIZE=${screen_width}x${screen_height} e2e_start_xvfb
mode_before=$(xrandr --current 2>&1 | grep '^Screen 0') || e2e_fail "xrandr cannot read the screen: $mode_before"
e2e_log "before: $mode_before"

e2e_make_run_dir
e2e_start_program --fullscreen --screen native
e2e_wait_for "$E2E_START_SECONDS" e2e_has_window "$E2E_TITLE" || e2e_fail "no \"$E2E_TITLE\" window appeared"
E2E_MAIN=$(e2e_window_id "$E2E_TITLE")
e2e_wait_for "$E2E_START_SECONDS" e2e_viewable "$E2E_MAIN" || e2e_fail "the window was never shown"
covers_screen() { e2e_read_geometry && [ "$E2E_GEOMETRY" = "${screen_width}x${screen_height}+0+0" ]; }
e2e_wait_for "$E2E_START_SECONDS" covers_screen || e2e_fail "the window does not cover the screen: $E2E_GEOMETRY"
e2e_log "window $E2E_GEOMETRY"

mode_now=$(xrandr --current 2>&1 | grep '^Screen 0')
[ "$mode_now" = "$mode_before" ] || e2e_fail "the screen's mode changed: $mode_now"

E2E_AREA_LEFT=$area_left
E2E_AREA_WIDTH=$area_width
E2E_AREA_HEIGHT=$screen_height
# Shown once the first frames are drawn and the picture has faded in.
picture_in_area() { e2e_shot "native-$E2E_SHOT_COUNT" && start_picture_shown "$E2E_SHOT"; }
e2e_wait_for "$E2E_START_SECONDS" picture_in_area ||
    e2e_fail "the start picture does not fill the centred ${area_width}-wide area: $start_picture"
e2e_log "start picture: $start_picture"

read -r disc_width disc_height < <(convert "$E2E_SHOT" -crop "$disc_region" +repage -fuzz "$disc_fuzz" \
    -fill black +opaque "$disc_colour" -fill white -opaque "$disc_colour" -trim -format '%w %h\n' info:)
e2e_log "disc: ${disc_width}x${disc_height}"
awk -v w="$disc_width" -v h="$disc_height" -v e="$disc_expected" -v r="$round_percent" -v s="$size_percent" '
    function off(a, b) { return 100 * (a > b ? a - b : b - a) / b }
    BEGIN { exit !(off(w, h) <= r && off(w, e) <= s && off(h, e) <= s) }' ||
    e2e_fail "the disc is ${disc_width}x${disc_height}, not round at about ${disc_expected}"

for side in "${area_left}x${screen_height}+0+0" "${area_left}x${screen_height}+$((area_left + area_width))+0"; do
    share=$(e2e_colour_fraction "$E2E_SHOT" "$side" "$background")
    e2e_log "side $side: $share background"
    awk -v s="$share" -v min="$side_share" 'BEGIN { exit !(s >= min) }' ||
        e2e_fail "the side $side shows the background in only $share of its pixels"
done

# F1 twice: an 800x600 window, then the native full screen again, starting over at the start screen.
toggle() {
    old_window=$E2E_MAIN
    old_window_gone() { ! e2e_viewable "$old_window"; }
    new_window() { local id; id=$(e2e_window_id "$E2E_TITLE"); [ -n "$id" ] && [ "$id" != "$old_window" ]; }
    xdotool windowfocus --sync "$E2E_MAIN" || e2e_fail "cannot focus the program's window"
    e2e_hold F1 "$E2E_START_SECONDS" old_window_gone || e2e_fail "F1 did not take the window away"
    e2e_wait_for "$E2E_START_SECONDS" new_window || e2e_fail "F1 made no new window"
    E2E_MAIN=$(e2e_window_id "$E2E_TITLE")
    e2e_wait_for "$E2E_START_SECONDS" e2e_viewable "$E2E_MAIN" || e2e_fail "the window after F1 was never shown"
}
toggle
e2e_wait_for "$E2E_START_SECONDS" e2e_main_window_sized ||
    e2e_fail "the window after F1 is ${E2E_GEOMETRY%%+*}, not ${E2E_WIDTH}x${E2E_HEIGHT}"
e2e_log "F1: window $E2E_GEOMETRY"
toggle
e2e_wait_for "$E2E_START_SECONDS" covers_screen || e2e_fail "the second F1 did not cover the screen: $E2E_GEOMETRY"
e2e_wait_for "$E2E_START_SECONDS" picture_in_area || e2e_fail "no start picture after the second F1: $start_picture"
e2e_log "F1 again: $E2E_GEOMETRY, start picture: $start_picture"
mode_now=$(xrandr --current 2>&1 | grep '^Screen 0')
[ "$mode_now" = "$mode_before" ] || e2e_fail "the screen's mode changed after F1: $mode_now"

xdotool windowfocus --sync "$E2E_MAIN" || e2e_fail "cannot focus the program's window"
e2e_press Escape 1
e2e_wait_exit "$E2E_EXIT_SECONDS" || e2e_fail "Escape did not end the program"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after Escape"
mode_after=$(xrandr --current 2>&1 | grep '^Screen 0')
[ "$mode_after" = "$mode_before" ] || e2e_fail "the screen's mode is not as before: $mode_after"
echo "PASS: native full screen ${E2E_GEOMETRY}, picture in the centred area, disc ${disc_width}x${disc_height}"
