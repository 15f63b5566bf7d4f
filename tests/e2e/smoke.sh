#!/usr/bin/env bash
# Runs the real program on a virtual X server: answers the full-screen question, checks that frames
# reach the screen (the background in the corners, then the models over the lower half), ends the
# program the way a session manager would (SIGTERM) and checks its exit code.
#
# Usage: smoke.sh PROGRAM ANSWER COLOUR
#   ANSWER  no  (Escape: a window) or yes (Enter: full screen)
#   COLOUR  the colour of the visible frame's background, as ImageMagick names it
set -uo pipefail

program=$(readlink -f "$1")
answer=$2
colour=$3
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

readonly title="Orvik Standview 2003"
readonly question_caption="Start FullScreen?"
readonly width=800
readonly height=600
readonly wait_seconds=30        # for the server, each window and the first frames (sanitized builds are slow)
readonly model_wait_seconds=120 # the camera's first flight slows down with the frame rate
readonly exit_wait_seconds=15
readonly min_colour_fraction=0.999
readonly colour_fuzz=1%          # about 2 of 255 per channel
# Corner squares that neither the models nor the start screen's picture reach.
readonly corner=12
# Share of the lower half of the client area, under the start screen's picture, where models must show.
readonly min_model_fraction=0.05

work=$(mktemp -d)
xvfb_pid=""
app_pid=""

cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill -KILL "$app_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$work/program.log" ]; then
        sed 's/^/  program: /' "$work/program.log" >&2
    fi
    exit 1
}

# wait_for SECONDS COMMAND...: retries the command every 0.2 s until it succeeds or time runs out.
wait_for() {
    local tries=$(($1 * 5))
    shift
    for ((i = 0; i < tries; i++)); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

case "$answer" in
no) key=Escape ;;
yes) key=Return ;;
*) fail "answer must be yes or no, not '$answer'" ;;
esac
[ -x "$program" ] || fail "no program at $1"

# The server picks a free display itself and writes its number to the descriptor.
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for "$wait_seconds" test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
unset SDL_VIDEODRIVER

# The program opens its data relative to the working directory.
mkdir -p "$work/run"
if [ -d "$source_dir/Data" ]; then
    ln -s "$source_dir/Data" "$work/run/Data"
else
    mkdir "$work/run/Data"
fi
(cd "$work/run" && exec "$program") >"$work/program.log" 2>&1 &
app_pid=$!

window_id() { # the id of the top-level window with this exact name
    xwininfo -root -tree | awk -v name="\"$1\":" '$2 == name || index($0, " " name " ") { print $1; exit }'
}
has_window() { [ -n "$(window_id "$1")" ]; }

wait_for "$wait_seconds" has_window "$question_caption" || fail "no \"$question_caption\" message box appeared"
box=$(window_id "$question_caption")
xdotool windowfocus --sync "$box" || fail "cannot focus the message box"
xdotool key "$key" || fail "cannot press $key"

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
wait_for "$wait_seconds" has_window "$title" || fail "no \"$title\" window appeared"
main=$(window_id "$title")
wait_for "$wait_seconds" viewable "$main" || fail "the window was never shown"
has_window "$question_caption" && fail "the message box is still there"

info=$(xwininfo -id "$main")
field() { echo "$info" | awk -F: -v key="$1" '$1 ~ key { gsub(/ /, "", $2); print $2 }'; }
x=$(field "Absolute upper-left X")
y=$(field "Absolute upper-left Y")
w=$(field "Width")
h=$(field "Height")
[ "$w" = "$width" ] && [ "$h" = "$height" ] || fail "client area is ${w}x${h}, not ${width}x${height}"

# Fraction of the pixels of the client area's part (WxH+X+Y, relative to the client area) that show the
# background colour.
colour_fraction() {
    convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage -crop "$1" +repage -fuzz "$colour_fuzz" \
        -fill black +opaque "$colour" -fill white -opaque "$colour" -colorspace Gray -format '%[fx:mean]' info:
}
corners_shown() {
    import -window root "$work/screen.png" 2>/dev/null || return 1
    corners=""
    local part fraction
    for part in "${corner}x${corner}+0+0" "${corner}x${corner}+$((w - corner))+0" \
        "${corner}x${corner}+0+$((h - corner))" "${corner}x${corner}+$((w - corner))+$((h - corner))"; do
        fraction=$(colour_fraction "$part") || return 1
        corners="$corners $fraction"
        awk -v f="$fraction" -v min="$min_colour_fraction" 'BEGIN { exit !(f >= min) }' || return 1
    done
}
models_shown() {
    import -window root "$work/screen.png" 2>/dev/null || return 1
    background=$(colour_fraction "${w}x$((h / 2))+0+$((h / 2))") || return 1
    awk -v f="$background" -v min="$min_model_fraction" 'BEGIN { exit !(1 - f >= min) }'
}
corners=""
wait_for "$wait_seconds" corners_shown ||
    fail "the corners of the ${w}x${h} client area at ($x,$y) are not $colour (fractions:${corners:- unknown})"
background=""
wait_for "$model_wait_seconds" models_shown ||
    fail "no models over the lower half of the client area (background fraction ${background:-unknown})"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended on its own"

kill -TERM "$app_pid"
wait_for "$exit_wait_seconds" bash -c "! kill -0 $app_pid 2>/dev/null" || fail "the program did not end on SIGTERM"
wait "$app_pid"
status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "exit code $status after SIGTERM"

echo "PASS: answered $answer; ${w}x${h} client area at ($x,$y): corners $colour, lower half ${background} background; exit code 0"
