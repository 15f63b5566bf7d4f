#!/usr/bin/env bash
# The monkey test: the real program under a window manager on a virtual X server, driven for a while by
# a seeded random sequence of what an operator, visitors and the desktop around the show can do to it
# (monkey_actions.py: scene keys, which are the buttons' scenes; F1, which makes a new window; another
# window taking the focus; left-button drags with the camera keys; the outline keys; SIGSTOP and
# SIGCONT). Now and then, and whenever an action is done, the program must still run; at each check it
# must still draw (screenshots keep changing). At the end, left alone, it must come back to the start
# screen by itself, keep drawing, and end with exit code 0 on SIGTERM (where the sanitizer build checks
# for leaks). A failure names the seed and the last actions: the same seed repeats the same actions.
#
# Usage: monkey.sh PROGRAM [SECONDS]
# How long the actions go on: STANDVIEW_MONKEY_SECONDS, else SECONDS, else 180 s. STANDVIEW_MONKEY_SEED
# picks the seed, a random one otherwise.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"

readonly default_seconds=180
readonly notice_title="Monkey notice"
# Mean difference (0 to 255) above which two screenshots show different frames (as in focus.sh).
readonly min_frame_difference=0.1
# Screenshots are cut to the client area already; a window partly off the screen gives a smaller one.
readonly frame_region="${E2E_WIDTH}x${E2E_HEIGHT}+0+0"
# A scene may hold still until its 35 s run out and the camera flies back to the start screen.
readonly drawing_seconds=$((E2E_START_SECONDS + 35))
readonly actions_remembered=25
# xdotool's --sync waits for the window manager without a limit of its own.
readonly sync_seconds=20
# Everything the actions may hold down, let go of before the program is left alone.
readonly held_keys="l k j h F1 f 1 2 3 Up Down c w s a d t g"
# The frame's background (as in walk-linux.sh), which the start screen's picture is laid over.
readonly background="rgb(255,255,195)"

notice_pid=""
actions_fd=""
actions_pid=""
seed=""
recent=()
finished=""
checks=0

monkey_cleanup() {
    local status=$?
    [ -n "$E2E_APP_PID" ] && kill -CONT "$E2E_APP_PID" 2>/dev/null
    if [ "$status" -ne 0 ] && [ -z "$finished" ]; then
        echo "monkey seed $seed failed; rerun with STANDVIEW_MONKEY_SEED=$seed" >&2
        echo "the last actions, oldest first:" >&2
        printf '  %s\n' "${recent[@]}" >&2
        monkey_sanitizer_report >&2
    fi
    local pid
    for pid in "$actions_pid" "$notice_pid"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    e2e_cleanup
}

# The sanitizers' report in full, which the last lines of the program's output that e2e_fail shows
# may cut.
monkey_sanitizer_report() {
    [ -s "$E2E_WORK/program.log" ] || return 0
    awk '/ERROR: (Address|Leak)Sanitizer|runtime error:/ { found = 1 } found' "$E2E_WORK/program.log" |
        head -n 200 | sed 's/^/  sanitizer: /'
}

monkey_remember() {
    recent+=("[$(e2e_seconds_since_start)s] $*")
    [ "${#recent[@]}" -le "$actions_remembered" ] || recent=("${recent[@]:1}")
}

monkey_alive() {
    e2e_running && return 0
    wait "$E2E_APP_PID"
    e2e_fail "the program ended (exit code $?) while the monkey drove it; status: $(e2e_last_status)"
}


# monkey_find_window: the program's current window (F1 makes a new one), shown, into E2E_MAIN and
# E2E_GEOMETRY.
monkey_window_shown() {
    E2E_MAIN=$(e2e_window_id "$E2E_TITLE")
    [ -n "$E2E_MAIN" ] && e2e_viewable "$E2E_MAIN" && e2e_read_geometry
}
monkey_find_window() {
    e2e_wait_for "$E2E_START_SECONDS" monkey_window_shown ||
        e2e_fail "no shown \"$E2E_TITLE\" window within ${E2E_START_SECONDS} s"
}

# monkey_new_frame PREVIOUS: a screenshot that differs from PREVIOUS, taken of the program's window as
# it is now; its path in E2E_SHOT.
frame_difference=""
monkey_new_frame() {
    monkey_alive
    monkey_window_shown || return 1
    e2e_shot "frame"
    cp "$E2E_SHOT" "$E2E_WORK/frame-new.png"
    E2E_SHOT="$E2E_WORK/frame-new.png"
    frame_difference=$(e2e_mean_difference "$1" "$E2E_SHOT" "$frame_region" 2>/dev/null) || return 1
    awk -v d="$frame_difference" -v min="$min_frame_difference" 'BEGIN { exit !(d > min) }'
}

# monkey_check_drawing: a frame that differs from the one at the start of the check.
monkey_check_drawing() {
    monkey_alive
    monkey_find_window
    e2e_shot "frame-old"
    local old="$E2E_WORK/frame-old.png"
    frame_difference=""
    e2e_wait_for "$drawing_seconds" monkey_new_frame "$old" ||
        e2e_fail "no new frame within ${drawing_seconds} s (difference ${frame_difference:-unknown}); status: $(e2e_last_status)"
    checks=$((checks + 1))
    e2e_log "check $checks: drawing (difference $frame_difference) at $E2E_GEOMETRY; $(e2e_last_status)"
}

notice_open() { [ -n "$notice_pid" ] && kill -0 "$notice_pid" 2>/dev/null; }

do_key() { # KEY HOLD
    xdotool keydown "$1" && sleep "$2" && xdotool keyup "$1" || e2e_fail "cannot press $1"
}

do_drag() { # X Y STEPS DX DY STEER HOLD
    local x=$1 y=$2 steps=$3 dx=$4 dy=$5 steer=$6 hold=$7 step
    xdotool mousemove "$x" "$y" mousedown 1 || e2e_fail "cannot press the left button"
    [ "$steer" = - ] || xdotool keydown "$steer"
    for ((step = 1; step <= steps; step++)); do
        sleep "$hold"
        xdotool mousemove_relative -- "$dx" "$dy"
    done
    [ "$steer" = - ] || xdotool keyup "$steer"
    xdotool mouseup 1 || e2e_fail "cannot release the left button"
}

do_notice() {
    notice_open && return 0
    xmessage -title "$notice_title" -geometry +40+40 "Another program's window" &
    notice_pid=$!
    e2e_wait_for "$E2E_START_SECONDS" e2e_has_window "$notice_title" || e2e_fail "no \"$notice_title\" window appeared"
    local notice
    notice=$(e2e_window_id "$notice_title")
    e2e_wait_for "$E2E_START_SECONDS" e2e_viewable "$notice" || e2e_fail "\"$notice_title\" was never shown"
    # The pointer goes along, so that a window manager whose focus follows it leaves the focus there.
    xdotool mousemove --window "$notice" 5 5 && timeout "$sync_seconds" xdotool windowfocus --sync "$notice" ||
        e2e_fail "cannot give \"$notice_title\" the focus"
}

do_unnotice() {
    notice_open || return 0
    kill "$notice_pid"
    wait "$notice_pid" 2>/dev/null
    notice_pid=""
}

# The window may be on its way out after F1; the next refocus finds the new one.
do_refocus() {
    local window
    window=$(e2e_window_id "$E2E_TITLE")
    [ -n "$window" ] || return 0
    timeout "$sync_seconds" xdotool windowactivate --sync "$window" 2>/dev/null
    timeout "$sync_seconds" xdotool windowfocus --sync "$window" 2>/dev/null
    return 0
}

do_stop() { # SECONDS
    kill -STOP "$E2E_APP_PID" || monkey_alive
    sleep "$1"
    kill -CONT "$E2E_APP_PID" || monkey_alive
}

# monkey_act LINE: carries out one line of monkey_actions.py.
monkey_act() {
    local action=$1
    shift
    case "$action" in
    key) do_key "$@" ;;
    drag) do_drag "$@" ;;
    notice) do_notice ;;
    unnotice) do_unnotice ;;
    refocus) do_refocus ;;
    stop) do_stop "$@" ;;
    pause) sleep "$1" ;;
    check) monkey_check_drawing ;;
    *) e2e_fail "unknown action '$action'" ;;
    esac
}

start_screen_now() {
    monkey_window_shown || return 1
    e2e_shot "start-screen"
    start_picture_shown "$E2E_SHOT"
}

e2e_init "$1"
trap monkey_cleanup EXIT
seconds=${STANDVIEW_MONKEY_SECONDS:-${2:-$default_seconds}}
[[ "$seconds" =~ ^[0-9]+$ ]] || e2e_fail "the duration must be whole seconds, not '$seconds'"
seed=${STANDVIEW_MONKEY_SEED:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
[[ "$seed" =~ ^[0-9]+$ ]] || e2e_fail "the seed must be a whole number, not '$seed'"
echo "monkey seed $seed, $seconds s of actions (rerun with STANDVIEW_MONKEY_SEED=$seed)"

e2e_start_xvfb
e2e_start_window_manager
e2e_start_notify_listener
e2e_make_run_dir

exec {actions_fd}< <(exec python3 "$E2E_SOURCE_DIR/tests/e2e/monkey_actions.py" "$seed")
actions_pid=$!
read -r _ answer <&"$actions_fd" || e2e_fail "no actions from monkey_actions.py"
e2e_start_program
e2e_answer_question "$answer"
monkey_remember "answer $answer"
monkey_find_window
e2e_log "answered $answer; window $E2E_MAIN at $E2E_GEOMETRY"
monkey_check_drawing

count=0
deadline=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$deadline" ]; do
    read -r line <&"$actions_fd" || e2e_fail "the actions ran out"
    monkey_remember "$line"
    # shellcheck disable=SC2086 # the words of the line are the action and its arguments
    monkey_act $line
    monkey_alive
    count=$((count + 1))
done
e2e_log "$count actions done; leaving the program alone"
monkey_remember "left alone"

for key in $held_keys; do xdotool keyup "$key"; done
xdotool mouseup 1
do_unnotice
monkey_alive
e2e_wait_for "$E2E_FLIGHT_SECONDS" e2e_showing mainscreen ||
    e2e_fail "the start screen did not come back when left alone; status: $(e2e_last_status)"
start_picture=""
e2e_wait_for "$E2E_START_SECONDS" start_screen_now ||
    e2e_fail "the status names the start screen, but its picture does not show: ${start_picture:-no window}"
e2e_log "back on the start screen, which shows $start_picture"
monkey_check_drawing

kill -TERM "$E2E_APP_PID"
e2e_wait_exit "$E2E_EXIT_SECONDS" || e2e_fail "the program did not end on SIGTERM"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after SIGTERM"
report=$(monkey_sanitizer_report)
[ -z "$report" ] || e2e_fail "the sanitizers reported: $report"
finished=yes
echo "PASS: monkey seed $seed: $count actions in $seconds s; alive throughout and drawing at all $checks checks," \
    "back on the start screen when left alone, exit code 0 on SIGTERM"
