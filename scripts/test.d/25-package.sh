#!/usr/bin/env bash
# The Debian package as an operator meets it: built by scripts/package.sh, its contents and lintian's
# verdict, installed with apt-get, the kiosk unit as installed, the content folder kept over a
# reinstallation, and the installed session script run as the kiosk unit runs it: as the standview
# user with the port capability in its ambient set, on the operators' content, drawing on a virtual X
# server, reporting ready and feeding the watchdog through the service manager's socket, until SIGTERM
# ends it with exit code 0. The package is purged again however the stage ends.
set -euo pipefail
# Installing a package and switching users take root.
[ "$(id -u)" -eq 0 ] || exec sudo bash "$0" "$@"
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/e2e/lib.sh"

readonly unit=standview-kiosk.service
unit_path=$(pkg-config --variable=systemdsystemunitdir systemd)/$unit
readonly unit_path
readonly content=/var/lib/standview/Data
# The visible frame: an orange-to-pale-yellow background with dark outlined models, far from uniform.
readonly min_frame_mean=0.3
readonly min_frame_deviation=0.05
# CAP_SYS_RAWIO's bit in the capability sets of /proc/PID/status.
readonly rawio_bit=17
# A short watchdog interval, so that a few pings arrive soon.
readonly watchdog_usec=2000000
readonly min_pings=3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if dpkg-query -W -f='${Status}' standview 2>/dev/null | grep -q 'ok installed'; then
    fail "standview is already installed here; this stage installs and purges its own build"
fi

build_log=$(mktemp)
if ! bash "$root/scripts/package.sh" >"$build_log" 2>&1; then
    tail -n 40 "$build_log" >&2
    rm -f "$build_log"
    fail "the package did not build"
fi
rm -f "$build_log"
deb=$(ls "$root"/build-deb/standview_*.deb)
echo "-- built $(basename "$deb")"

echo "-- contents"
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/standview "./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/libqelio.so" \
    ".$unit_path" ./usr/libexec/standview/kiosk-session \
    ./usr/libexec/standview/kiosk-xserver ./usr/lib/sysusers.d/standview.conf \
    ./usr/share/man/man1/standview.1.gz; do
    grep -qxF "$path" <<<"$listing" || fail "the package lacks $path"
done
missing=$(cd "$root/Data" && find . -type f | sed 's|^\./|./usr/share/standview/Data/|' | sort |
    comm -23 - <(sort <<<"$listing"))
[ -z "$missing" ] || fail "the package lacks demo content: $missing"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl2 libavformat libgl1; do
    grep -q "$library" <<<"$depends" || fail "Depends does not name $library: $depends"
done

echo "-- lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

listener_pid=""
cleanup() {
    [ -z "$listener_pid" ] || kill "$listener_pid" 2>/dev/null
    e2e_cleanup
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq standview >/dev/null 2>&1 ||
        echo "could not purge standview" >&2
}
trap cleanup EXIT

echo "-- installing"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null || fail "apt-get install failed"
[ -z "$(readelf -d /usr/bin/standview | grep -E 'RPATH|RUNPATH')" ] || fail "the installed program has a run path"
groups=" $(id -nG standview) "
for group in lp audio video render input; do
    [[ $groups == *" $group "* ]] || fail "the standview user is not in $group (groups:$groups)"
done
diff -r /usr/share/standview/Data "$content" >/dev/null || fail "$content is not a copy of the demo content"
[ "$(stat -c %U /var/lib/standview)" = standview ] || fail "the state folder does not belong to standview"
verify=$(systemd-analyze verify "$unit_path" 2>&1) && [ -z "$verify" ] ||
    fail "systemd-analyze verify on the installed unit: $verify"
[ "$(systemctl is-enabled "$unit" 2>&1)" = disabled ] || fail "the kiosk unit is not shipped disabled"

echo "-- reinstalling over the operators' content"
echo "operator's note" >"$content/note.txt"
rm "$content/movies/face2.avi"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" >/dev/null || fail "reinstallation failed"
[ -f "$content/note.txt" ] && [ ! -e "$content/movies/face2.avi" ] ||
    fail "a reinstallation changed the operators' content"
cp /usr/share/standview/Data/movies/face2.avi "$content/movies/"
rm "$content/note.txt"

# Replaces the calling (sub)shell with the command as the unit runs its processes: the standview user
# and its groups, and the port capability in the ambient set.
exec_as_kiosk_user() {
    exec setpriv --reuid standview --regid standview --init-groups \
        --inh-caps +sys_rawio --ambient-caps +sys_rawio -- env HOME=/var/lib/standview "$@"
}

echo "-- the operators' content as the kiosk user reads it"
(exec_as_kiosk_user /usr/bin/standview --check --data "$content") || fail "standview --check fails on $content"
[ "$(/usr/bin/standview --version)" = "standview $(dpkg-deb -f "$deb" Version)" ] ||
    fail "the program reports $(/usr/bin/standview --version), the package is $(dpkg-deb -f "$deb" Version)"

echo "-- the installed session as the kiosk unit starts it"
e2e_init /usr/bin/standview
trap cleanup EXIT
e2e_start_xvfb
# The service manager's side: a notification socket the kiosk user may write to, a watchdog interval,
# and the watchdog addressed to the unit's main process (xinit there, this shell here).
chmod 0711 "$E2E_WORK"
notify_socket=$E2E_WORK/notify
notify_log=$E2E_WORK/notify.log
: >"$notify_log"
python3 -c '
import os, socket, sys
server = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
server.bind(sys.argv[1])
os.chmod(sys.argv[1], 0o666)
with open(sys.argv[2], "a") as log:
    while True:
        log.write(server.recv(4096).decode() + "\n")
        log.flush()
' "$notify_socket" "$notify_log" &
listener_pid=$!
e2e_wait_for 10 test -S "$notify_socket" || fail "the notification socket did not open"
(cd /var/lib/standview && NOTIFY_SOCKET=$notify_socket WATCHDOG_USEC=$watchdog_usec WATCHDOG_PID=$$ \
    SDL_AUDIODRIVER=dummy exec_as_kiosk_user /usr/libexec/standview/kiosk-session --kiosk --windowed \
    --data "$content") >"$E2E_WORK/program.log" 2>&1 &
E2E_APP_PID=$!
e2e_wait_main_window

status=/proc/$E2E_APP_PID/status
[ "$(awk '/^Uid:/ {print $2}' "$status")" = "$(id -u standview)" ] || e2e_fail "the program does not run as standview"
effective=$(awk '/^CapEff:/ {print $2}' "$status")
(((0x$effective >> rawio_bit) & 1)) || e2e_fail "the program lacks CAP_SYS_RAWIO (effective set $effective)"

frame_stats() {
    e2e_shot frame
    read -r frame_mean frame_deviation < <(convert "$E2E_SHOT" -colorspace Gray \
        -format '%[fx:mean] %[fx:standard_deviation]\n' info:)
    awk -v m="$frame_mean" -v d="$frame_deviation" -v mm="$min_frame_mean" -v md="$min_frame_deviation" \
        'BEGIN { exit !(m >= mm && d >= md) }'
}
frame_mean="" frame_deviation=""
e2e_wait_for "$E2E_START_SECONDS" frame_stats ||
    e2e_fail "no frame drawn: grey mean ${frame_mean:-unknown}, deviation ${frame_deviation:-unknown}"
pings() { grep -c '^WATCHDOG=1$' "$notify_log"; }
enough_pings() { [ "$(pings)" -ge "$min_pings" ]; }
e2e_wait_for "$E2E_START_SECONDS" enough_pings ||
    e2e_fail "$(pings) watchdog pings, expected $min_pings; messages: $(tr '\n' ' ' <"$notify_log")"
grep -qx 'READY=1' "$notify_log" || e2e_fail "no READY=1; messages: $(tr '\n' ' ' <"$notify_log")"
e2e_running || e2e_fail "the program ended on its own"

kill -TERM "$E2E_APP_PID"
e2e_wait_exit "$E2E_EXIT_SECONDS" || e2e_fail "the program did not end on SIGTERM"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE after SIGTERM"
echo "package: contents, lintian, installation, content check, and the installed session as standview" \
    "with CAP_SYS_RAWIO (frame grey mean $frame_mean, deviation $frame_deviation; READY=1 and" \
    "$(pings) watchdog pings; exit code 0 on SIGTERM) passed"
