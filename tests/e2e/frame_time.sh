#!/usr/bin/env bash
# Measures the frame time of the whole presentation on a virtual X server: the program runs on the
# bundled data, answers No (a window), and a preloaded timer (swap_timer.c) times the buffer swaps of
# 300 frames of the start screen after the first 60. Prints the median and the spread.
#
# Usage: frame_time.sh PROGRAM [FRAMES [PROGRAM ARGUMENTS...]]   (needs a C compiler besides the
# end-to-end tools). With --windowed among the arguments there is no question to answer. With
# FRAME_TIME_KEYS set (such as "L K J H"), those keys are pressed in turn, one a second, while the
# frames are timed, so that scenes start during the measurement.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

readonly frames=${2:-300}
readonly skip=60
program_args=("${@:3}")

e2e_init "$1"
cc -shared -fPIC -O2 -Wall -Wextra -o "$E2E_WORK/swap_timer.so" "$(dirname "$0")/swap_timer.c" -ldl ||
    e2e_fail "cannot build the timer"
e2e_start_xvfb
e2e_make_run_dir
result="$E2E_WORK/frame_time.txt"
(cd "$E2E_RUN" && LD_PRELOAD="$E2E_WORK/swap_timer.so" SWAP_TIMER_OUT="$result" SWAP_TIMER_SKIP="$skip" \
    SWAP_TIMER_FRAMES="$frames" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/audio.raw" exec "$E2E_PROGRAM" "${program_args[@]}") \
    >"$E2E_WORK/program.log" 2>&1 &
E2E_APP_PID=$!
[[ " ${program_args[*]} " == *" --windowed "* ]] || e2e_answer_question no
e2e_wait_main_window
deadline=$((SECONDS + 600))
while ! test -s "$result"; do
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "no $frames frames within ten minutes"
    for key in ${FRAME_TIME_KEYS:-}; do
        test -s "$result" && break
        xdotool keydown "$key" && sleep 1 && xdotool keyup "$key"
    done
    sleep 0.2
done
cat "$result"
e2e_press Escape 1.5
e2e_wait_exit 20 || e2e_fail "the program did not end after Escape"
