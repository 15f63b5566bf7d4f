#!/usr/bin/env bash
# Measures the frame time of the whole presentation on a virtual X server: the program runs on the
# bundled data, answers No (a window), and a preloaded timer (swap_timer.c) times the buffer swaps of
# FRAMES frames of the start screen after the first 60. Prints the median and the spread.
#
# Each RUN is one run of the program with those options (such as "--glow exact"), one after the other
# on the same server, so that they are compared under the same load; its figures are labelled with the
# options. With none, one run without options. With --windowed among the options there is no question
# to answer. With FRAME_TIME_KEYS set (such as "L K J H"), those keys are pressed in turn, one a
# second, while the frames are timed, so that scenes start during the measurement.
#
# Usage: frame_time.sh PROGRAM [FRAMES [RUN...]]      (needs a C compiler besides the end-to-end tools)
set -uo pipefail
source "$(dirname "$0")/lib.sh"

readonly frames=${2:-300}
readonly skip=60
runs=("${@:3}")

e2e_init "$1"
cc -shared -fPIC -O2 -Wall -Wextra -o "$E2E_WORK/swap_timer.so" "$(dirname "$0")/swap_timer.c" -ldl ||
    e2e_fail "cannot build the timer"
e2e_start_xvfb
e2e_make_run_dir

# measure LABEL [PROGRAM OPTIONS...]: one run of the program, its figures printed after the label.
measure() {
    local label=$1 result="$E2E_WORK/frame_time.txt" deadline key
    shift
    rm -f "$result"
    (cd "$E2E_RUN" && LD_PRELOAD="$E2E_WORK/swap_timer.so" SWAP_TIMER_OUT="$result" SWAP_TIMER_SKIP="$skip" \
        SWAP_TIMER_FRAMES="$frames" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/audio.raw" \
        exec "$E2E_PROGRAM" "$@") >"$E2E_WORK/program.log" 2>&1 &
    E2E_APP_PID=$!
    [[ " $* " == *" --windowed "* ]] || e2e_answer_question no
    e2e_wait_main_window
    deadline=$((SECONDS + 600))
    while ! test -s "$result"; do
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "no $frames frames within ten minutes ($label)"
        for key in ${FRAME_TIME_KEYS:-}; do
            test -s "$result" && break
            xdotool keydown "$key" && sleep 1 && xdotool keyup "$key"
        done
        sleep 0.2
    done
    echo "$label$(cat "$result")"
    e2e_press Escape 1.5
    e2e_wait_exit 20 || e2e_fail "the program did not end after Escape ($label)"
}

if [ ${#runs[@]} -eq 0 ]; then
    measure ""
fi
for run in "${runs[@]}"; do
    # shellcheck disable=SC2086 # a run's options are words
    measure "${run#--}: " $run
done
