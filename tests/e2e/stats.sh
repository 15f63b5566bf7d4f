#!/usr/bin/env bash
# Visit statistics of the real program on a virtual X server. The program reports to a stand-in service
# manager (a datagram socket): its status line names the running scene, and its watchdog pings show that
# frames keep coming.
#  1. Scene keys pressed in turn, then kill -9: the database opens, passes its integrity check, and holds
#     every press older than a second before the kill, at the time it was pressed; --stats and --csv
#     read it, and read a copy of it without its shared-memory index alike.
#  2. A database on a read-only file system, and one on a file system that fills up: one log line each,
#     and the show goes on. Both are small tmpfs mounts, which only root may make (a read-only mode or a
#     full quota would not stop root): run as another user, the test ends after part 1 with exit code 77,
#     which CTest shows as skipped; as root, a mount that fails fails the test.
#
# Usage: stats.sh PROGRAM      (needs sqlite3 and python3 besides the end-to-end tools)
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# Scene keys and the registry names the status line shows for them.
readonly keys=(L K J H L K J H)
readonly scenes=(horse mountain parthenon cubes horse mountain parthenon cubes)
# Watchdog interval asked of the program: it pings four times as often.
readonly watchdog_usec=400000
readonly step_seconds=10
readonly lost_window_ms=1000
readonly failure_line="visit statistics are off"
# What CTest takes for a skipped test (SKIP_RETURN_CODE in cmake/e2e.cmake).
readonly skipped_exit_code=77

e2e_init "$1"
mounts=()
poller=""
finish() {
    [ -n "$poller" ] && kill "$poller" 2>/dev/null
    # The program holds its database open: it goes before the file systems do.
    if [ -n "$E2E_APP_PID" ]; then
        kill -KILL "$E2E_APP_PID" 2>/dev/null
        wait "$E2E_APP_PID" 2>/dev/null
        E2E_APP_PID=""
    fi
    local m
    for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
    e2e_cleanup
}
trap finish EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }

e2e_start_notify_listener
notify_log=$E2E_NOTIFY_LOG

e2e_start_xvfb
e2e_make_run_dir

# start_show DATABASE: the show in a window, recording into DATABASE.
start_show() {
    : >"$notify_log"
    (cd "$E2E_RUN" && NOTIFY_SOCKET="$E2E_NOTIFY_SOCKET" WATCHDOG_PID=1 WATCHDOG_USEC=$watchdog_usec \
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/audio.raw" \
        exec "$E2E_PROGRAM" --windowed --stats-db "$1") >"$E2E_WORK/program.log" 2>&1 &
    E2E_APP_PID=$!
    e2e_wait_main_window
    e2e_wait_for "$E2E_START_SECONDS" e2e_showing mainscreen || e2e_fail "the start screen never ran"
}

# The listener stamps each message with the seconds since the epoch.
pings_after() { awk -v t="$1" '$1 * 1000 > t && $2 == "WATCHDOG=1"' "$notify_log" | wc -l; }
failure_lines() { grep -c "$failure_line" "$E2E_WORK/program.log"; }

# press_scene INDEX: holds the key until its scene runs; leaves the time it went down in pressed_ms.
press_scene() {
    pressed_ms=$(now_ms)
    e2e_hold "${keys[$1]}" "$E2E_START_SECONDS" e2e_showing "${scenes[$1]}" ||
        e2e_fail "${keys[$1]} did not start ${scenes[$1]}; running: $(e2e_running && echo yes || echo no);" \
            "last messages: $(tail -n 3 "$notify_log" | tr '\n' ';')"
}

end_show() {
    e2e_hold Escape "$E2E_EXIT_SECONDS" e2e_ended || e2e_fail "the program did not end after Escape"
    e2e_wait_exit 1 || e2e_fail "cannot collect the program's exit code"
}

# the_show_goes_on: frames keep coming after the failure, and a key still starts a scene.
the_show_goes_on() {
    local since
    since=$(now_ms)
    e2e_wait_for "$step_seconds" bash -c "[ \$(awk -v t=$since '\$1 * 1000 > t && \$2 == \"WATCHDOG=1\"' '$notify_log' | wc -l) -ge 3 ]" ||
        e2e_fail "$(pings_after "$since") watchdog pings in the $step_seconds s after the failure"
    press_scene 3
    e2e_log "$1: the show went on: $(pings_after "$since") frames pinged the watchdog in $((($(now_ms) - since) / 1000)) s after the failure, and H started the video stage"
}

# 1. Presses, then kill -9.
db="$E2E_WORK/visits.sqlite"
# When each record first shows in the file, as another reader sees it, polled every 20 ms.
python3 -c '
import sqlite3, sys, time
seen = set()
with open(sys.argv[2], "a", buffering=1) as log:
    log.write("ready\n")
    while True:
        try:
            db = sqlite3.connect("file:%s?mode=ro" % sys.argv[1], uri=True)
            for row_id, started in db.execute("SELECT id, started_utc_ms FROM visit"):
                if row_id not in seen:
                    seen.add(row_id)
                    log.write("%d %d\n" % (started, time.time_ns() // 1000000))
            db.close()
        except sqlite3.Error:
            pass
        time.sleep(0.02)
' "$db" "$E2E_WORK/seen" &
poller=$!
e2e_wait_for "$E2E_START_SECONDS" grep -q ready "$E2E_WORK/seen" || e2e_fail "the file watcher did not start"
start_show "$db"
presses="$E2E_WORK/presses"
: >"$presses"
for i in "${!keys[@]}"; do
    press_scene "$i"
    echo "$pressed_ms $(now_ms) ${scenes[$i]}" >>"$presses"
done
# The last press is the one an immediate kill may lose.
press_scene 0
echo "$pressed_ms $(now_ms) ${scenes[0]}" >>"$presses"
kill -KILL "$E2E_APP_PID"
killed_ms=$(now_ms)
wait "$E2E_APP_PID" 2>/dev/null
E2E_APP_PID=""
kill "$poller" 2>/dev/null
poller=""
# The delay from each scene start to its record in the file: a figure, not a check (a busy machine).
grep -v ready "$E2E_WORK/seen" | sort -n | awk '{ d = $2 - $1; s = s " " d; if (d > m) m = d }
    END { printf "record delays (scene start to visible in the file, ms):%s; longest %d\n", s, m }'

"$E2E_PROGRAM" --stats --stats-db "$db" >"$E2E_WORK/summary.txt" 2>&1 || e2e_fail "--stats failed: $(cat "$E2E_WORK/summary.txt")"
cat "$E2E_WORK/summary.txt"
"$E2E_PROGRAM" --stats --csv --stats-db "$db" >"$E2E_WORK/visits.csv" 2>&1 || e2e_fail "--stats --csv failed"
# A copy of the file and its log, without the shared-memory index, as an operator takes it from a booth.
mkdir "$E2E_WORK/copy" && cp "$db" "$db-wal" "$E2E_WORK/copy/" || e2e_fail "cannot copy the database"
"$E2E_PROGRAM" --stats --csv --stats-db "$E2E_WORK/copy/visits.sqlite" >"$E2E_WORK/copy.csv" 2>&1 ||
    e2e_fail "--stats on a copy failed: $(cat "$E2E_WORK/copy.csv")"
cmp -s "$E2E_WORK/visits.csv" "$E2E_WORK/copy.csv" || e2e_fail "a copy without its index reads differently"
check=$(sqlite3 -readonly "$db" "PRAGMA integrity_check") || e2e_fail "the database does not open after kill -9"
[ "$check" = "ok" ] || e2e_fail "integrity check after kill -9: $check"

# Each press against the records made by keys, in order: a record's time lies between the key going
# down and its scene showing.
mapfile -t records < <(awk -F, '$3 == "key" && $4 == 0 { print $1, tolower($2) }' "$E2E_WORK/visits.csv")
index=0
while read -r down shown scene; do
    if [ "$index" -ge "${#records[@]}" ]; then
        [ $((killed_ms - shown)) -le "$lost_window_ms" ] ||
            e2e_fail "the press of $scene, $((killed_ms - shown)) ms before the kill, is not in the file"
        e2e_log "the press of $scene $((killed_ms - shown)) ms before the kill is missing (allowed)"
    else
        read -r stamp recorded <<<"${records[$index]}"
        at=$(date -u -d "${stamp%Z}" +%s%3N)
        [ "$recorded" = "$scene" ] || e2e_fail "record $index is $recorded, the press was $scene"
        [ "$at" -ge $((down - 5)) ] && [ "$at" -le "$shown" ] ||
            e2e_fail "record $index at $at, the press at $down, its scene showing at $shown"
    fi
    index=$((index + 1))
done <"$presses"
[ "${#records[@]}" -le "$index" ] || e2e_fail "${#records[@]} key records for $index presses"
e2e_log "after kill -9: integrity ok, ${#records[@]} of $index presses recorded"

# 2. File systems that refuse the writes.
mount_small() {
    mkdir -p "$1" && mount -t tmpfs -o "size=$2" tmpfs "$1" && mounts+=("$1")
}
if [ "$(id -u)" -ne 0 ]; then
    echo "kill -9 left a sound database with every press but the last second's"
    echo "SKIP: the read-only and full-disk runs need tmpfs mounts, which only root may make"
    exit "$skipped_exit_code"
fi
mount_small "$E2E_WORK/ro" 1m || e2e_fail "cannot mount a tmpfs as root"
sqlite3 "$E2E_WORK/ro/visits.sqlite" "PRAGMA user_version" >/dev/null || e2e_fail "cannot make the read-only file"
mount -o remount,ro "$E2E_WORK/ro" || e2e_fail "cannot remount read-only"
start_show "$E2E_WORK/ro/visits.sqlite"
e2e_wait_for 10 bash -c "grep -q '$failure_line' '$E2E_WORK/program.log'" || e2e_fail "no log line for the read-only file"
press_scene 0
the_show_goes_on "read-only"
[ "$(failure_lines)" -eq 1 ] || e2e_fail "$(failure_lines) log lines for the read-only file"
e2e_log "read-only: $(grep "$failure_line" "$E2E_WORK/program.log")"
end_show

mount_small "$E2E_WORK/full" 256k || e2e_fail "cannot mount the small tmpfs"
start_show "$E2E_WORK/full/visits.sqlite"
# Everything left of the file system goes to a filler; the next commits need more room for the log.
dd if=/dev/zero of="$E2E_WORK/full/filler" bs=4k 2>/dev/null
for i in 0 1 2 4 5 6 0 1 2 4 5 6; do
    [ "$(failure_lines)" -ge 1 ] && break
    press_scene "$i"
done
[ "$(failure_lines)" -ge 1 ] || e2e_fail "no log line for the full disk"
the_show_goes_on "full disk"
press_scene 0
[ "$(failure_lines)" -eq 1 ] || e2e_fail "$(failure_lines) log lines for the full disk"
e2e_log "full disk: $(grep "$failure_line" "$E2E_WORK/program.log")"
end_show
echo "PASS: kill -9 left a sound database with every press but the last second's; a read-only and a full file system gave one log line each while the show went on"
