#!/usr/bin/env bash
# Starts the real program with DISPLAY naming an X server that does not exist and no video driver
# chosen: it must say that it cannot open a display and end with a failure at once, so that a service
# manager starts it again, instead of drawing for nobody.
#
# Usage: no_display.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# Sanitized builds start slowly; a program that falls back to drawing offscreen never ends.
readonly exit_seconds=60

e2e_init "$1"
e2e_make_run_dir
# A display number with neither a server's lock nor its socket.
display=99
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
export DISPLAY=":$display"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
e2e_start_program
e2e_wait_exit "$exit_seconds" || e2e_fail "still running after ${exit_seconds} s with no display"
[ "$E2E_EXIT_CODE" -ne 0 ] || e2e_fail "exit code 0 with no display"
grep -q "^cannot open a display (DISPLAY=$DISPLAY): " "$E2E_WORK/program.log" ||
    e2e_fail "no line saying that the display $DISPLAY cannot be opened"
echo "PASS: DISPLAY=$DISPLAY: exit code $E2E_EXIT_CODE after $(e2e_seconds_since_start) s;" \
    "$(grep '^cannot open a display' "$E2E_WORK/program.log")"
