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

readonly watchdog_seconds=4
readonly broken_movie=Booth2.avi
readonly stop_seconds=$watchdog_seconds
readonly exit_seconds=15

e2e_init "$1"
listener=""
trap '[ -n "$listener" ] && kill "$listener" 2>/dev/null; e2e_cleanup' EXIT
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

notes="$E2E_WORK/notify.log"
python3 "$(dirname "$0")/notify_listener.py" "$E2E_WORK/notify.sock" "$notes" &
listener=$!
e2e_wait_for 10 grep -qs LISTENING "$notes" || e2e_fail "the notification socket did not open"

# The working directory has no Data of its own: everything must come from --data.
(cd "$E2E_WORK/run" && NOTIFY_SOCKET="$E2E_WORK/notify.sock" WATCHDOG_USEC=$((watchdog_seconds * 1000000)) \
    SDL_AUDIODRIVER=dummy exec "$E2E_PROGRAM" --kiosk --windowed --data "$data") >"$E2E_WORK/program.log" 2>&1 &
E2E_APP_PID=$!

names="$E2E_WORK/windows"
: >"$names"
note_windows() {
    xwininfo -root -tree 2>/dev/null | awk -F'"' 'NF >= 3 && $2 != "" { print $2 }' >>"$names"
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
e2e_press h
e2e_wait_for 20 grep -q ' STATUS=Showing cubes$' "$notes" || e2e_fail "the status never named the Cubes scene"
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

# The longest gap between pings while the program ran, against the watchdog's interval.
gap=$(awk -v s="$stopped" -v r="$resumed" '$2 == "WATCHDOG=1" && ($1 < s || $1 > r) {
        if (last != "" && $1 - last > gap && !(last < s && $1 > r)) gap = $1 - last; last = $1 }
    END { printf "%.2f", gap }' "$notes")
awk -v g="$gap" -v w="$watchdog_seconds" 'BEGIN { exit !(g < w / 2) }' ||
    e2e_fail "a gap of $gap s between pings, not under half the ${watchdog_seconds} s interval"

kill -TERM "$E2E_APP_PID"
e2e_wait_exit "$exit_seconds" || e2e_fail "the program still runs $exit_seconds s after SIGTERM"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after SIGTERM"
others=$(sort -u "$names" | grep -v -x -e "$E2E_TITLE" | tr '\n' ';')
[ -z "$others" ] || e2e_fail "other windows appeared: $others"

pings=$(grep -c ' WATCHDOG=1$' "$notes")
echo "PASS: READY=1 after the first frame, $pings watchdog pings (longest gap $gap s of a ${watchdog_seconds} s" \
    "interval), none in $stop_seconds s stopped, the Cubes scene ran with a broken movie, exit code 0, no other window"
