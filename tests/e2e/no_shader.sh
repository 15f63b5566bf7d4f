#!/usr/bin/env bash
# Without Data/shader.txt the run ends right after the full-screen question: no message box, no
# frames shown for long, exit code 0.
#
# Usage: no_shader.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# From the answer to the end of the process; start-up gives up before loading anything else.
readonly end_seconds=15

e2e_init "$1"
e2e_start_xvfb
e2e_make_run_dir without-shader
[ ! -e "$E2E_RUN/Data/shader.txt" ] && [ -e "$E2E_RUN/Data/images" ] || e2e_fail "the working directory is not set up"
e2e_start_program
e2e_answer_question no
answered=$(date +%s%N)

# Every top-level window name seen until the program ends: only the question and the program's own
# window may appear, never an error box.
names="$E2E_WORK/windows"
: >"$names"
watch_windows() {
    e2e_window_names >>"$names"
    ! e2e_running
}
e2e_wait_for "$end_seconds" watch_windows || e2e_fail "the program still runs $end_seconds s after the answer"
ended_ms=$((($(date +%s%N) - answered) / 1000000))
e2e_wait_exit 5 || e2e_fail "cannot collect the program's exit code"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE"
others=$(sort -u "$names" | grep -v -x -e "$E2E_QUESTION_CAPTION" -e "$E2E_TITLE" | tr '\n' ';')
[ -z "$others" ] || e2e_fail "other windows appeared: $others"
echo "PASS: without Data/shader.txt the run ended ${ended_ms} ms after the answer, exit code 0, no other window"
