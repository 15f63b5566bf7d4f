#!/usr/bin/env bash
# The program as the kiosk's service manager runs it: --kiosk --windowed on a content folder given with
# --data, in which one movie is not a movie, with a notification socket of the test's own and a
# watchdog. It must say READY=1 once it draws, ping the watchdog from every stretch of frames (through
# the Cubes scene too, whose broken movie shows black instead of a box), name the running scene, stop
# pinging while stopped, and end with exit code 0 on SIGTERM. No window but the show's may appear.
#
# Usage: kiosk.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/lib.sh"

readonly watchdog_seconds=6
readonly broken_movie=Booth2.avi
readonly stop_seconds=$watchdog_seconds
readonly exit_seconds=15

e2e_init "$1"
e2e_start_xvfb

data="$E2E_WORK/content"
mkdir -p "$data/movies" "$E2E_WORK/run"
for entry in "$E2E_SOURCE_DIR"/Data/*; do
    [ "$(basename "$entry")" = movies ] || ln -s "$entry" "$data/"
done
for movie in "$E2E_SOURCE_DIR"/Data/movies/*; do
    ln -s "$movie" "$data/movies/"
done
rm "$data/movies/$broken_movie"
echo "not a movie" >"$data/movies/$broken_movie"

e2e_start_notify_listener
notes=$E2E_NOTIFY_LOG

# The working directory has no Data of its own: everything must come from --data. As in the kiosk
# session, the watchdog is addressed to the service's main process (here this script), which the
# program runs under.
(cd "$E2E_WORK/run" && NOTIFY_SOCKET="$E2E_NOTIFY_SOCKET" WATCHDOG_USEC=$((watchdog_seconds * 1000000)) \
    WATCHDOG_PID=$$ SDL_AUDIODRIVER=dummy exec "$E2E_PROGRAM" --kiosk --windowed --data "$data") \
    >"$E2E_WORK/program.log" 2>&1 &
E2E_APP_PID=$!

names="$E2E_WORK/windows"
: >"$names"
note_windows() {
    e2e_window_names >>"$names"
}
now() { date +%s.%N; }
# messages_since TIME MESSAGE: how many times the message came at or after the time.
messages_since() { awk -v t="$1" -v m="$2" '$1 >= t && $2 == m' "$notes" | wc -l; }
# until_message_count TIME MESSAGE COUNT: noting windows, until the message came COUNT times since TIME.
until_message_count() {
    note_windows
    e2e_running || e2e_fail "the program ended"
    [ "$(messages_since "$1" "$2")" -ge "$3" ]
}

started=$(now)
e2e_wait_for "$E2E_START_SECONDS" until_message_count "$started" READY=1 1 || e2e_fail "no READY=1"
e2e_has_window "$E2E_TITLE" || e2e_fail "READY=1 came before the window was there"
ready=$(awk '$2 == "READY=1" { print $1; exit }' "$notes")
e2e_log "READY=1 $(awk -v a="$started" -v b="$ready" 'BEGIN { printf "%.1f", b - a }') s after the start"
e2e_wait_for 20 until_message_count "$ready" WATCHDOG=1 3 || e2e_fail "fewer than 3 watchdog pings after READY=1"
grep -q ' STATUS=Showing mainscreen$' "$notes" || e2e_fail "the status did not name the start screen"

e2e_wait_main_window
cubes=$(now)
e2e_hold h 20 e2e_showing cubes || e2e_fail "the status never named the Cubes scene"
e2e_wait_for 20 until_message_count "$cubes" WATCHDOG=1 3 || e2e_fail "the pings stopped in the Cubes scene"
grep -q "Failed To Open The AVI Stream" "$E2E_WORK/program.log" ||
    e2e_fail "the broken movie's message is not in the log"

kill -STOP "$E2E_APP_PID"
# A ping already on its way may still arrive.
sleep 0.5
stopped=$(now)
sleep "$stop_seconds"
late=$(messages_since "$stopped" WATCHDOG=1)
[ "$late" -eq 0 ] || e2e_fail "$late watchdog pings while the program was stopped"
resumed=$(now)
kill -CONT "$E2E_APP_PID"
e2e_wait_for 20 until_message_count "$resumed" WATCHDOG=1 1 || e2e_fail "no ping after the program went on"

# While the program ran: at least two pings per interval, and never a gap as long as the interval (a
# loaded machine may delay a frame now and then, so single gaps are held only to the watchdog itself).
read -r pings gap < <(awk -v s="$stopped" -v r="$resumed" '$2 == "WATCHDOG=1" && ($1 < s || $1 > r) {
        if (last != "" && !(last < s && $1 > r) && $1 - last > gap) gap = $1 - last
        last = $1; n++ }
    END { printf "%d %.2f\n", n, gap }' "$notes")
running=$(awk -v a="$ready" -v b="$(now)" -v s="$stopped" -v r="$resumed" 'BEGIN { printf "%.1f", b - a - (r - s) }')
awk -v n="$pings" -v t="$running" -v w="$watchdog_seconds" 'BEGIN { exit !(n >= 2 * t / w) }' ||
    e2e_fail "$pings pings in $running s of running, fewer than two per ${watchdog_seconds} s interval"
awk -v g="$gap" -v w="$watchdog_seconds" 'BEGIN { exit !(g < w) }' ||
    e2e_fail "a gap of $gap s between pings, as long as the ${watchdog_seconds} s interval"

kill -TERM "$E2E_APP_PID"
e2e_wait_exit "$exit_seconds" || e2e_fail "the program still runs $exit_seconds s after SIGTERM"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after SIGTERM"
others=$(sort -u "$names" | grep -v -x -e "$E2E_TITLE" | tr '\n' ';')
[ -z "$others" ] || e2e_fail "other windows appeared: $others"

echo "PASS: READY=1 after the first frame, $pings watchdog pings in $running s running (longest gap $gap s," \
    "interval ${watchdog_seconds} s), none in $stop_seconds s stopped, the Cubes scene ran with a broken movie," \
    "exit code 0, no other window"
