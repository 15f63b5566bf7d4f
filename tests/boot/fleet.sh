#!/usr/bin/env bash
# tests/boot/fleet.sh DEB: the fleet tools of deploy/ against a booted booth. The boot test's guest
# (make-image.sh) boots under QEMU with user-mode networking that reaches nothing outside: only its ssh
# and its node exporter are forwarded, to ports of 127.0.0.1. An operators' user with a key made for the
# run and sudo stands in for the booth's. Then, each check printing one line with its measured seconds:
#   booth.yml   installs DEB, the node exporter, and runs the kiosk; refuses content with a cut-short
#               picture, naming it, and the booth goes on with its content; puts good content live and
#               restarts the show; and a second run with nothing new changes nothing
#   report.yml  brings back the unit's state, a snapshot of the show, the statistics and the summary
#   Prometheus  with deploy/prometheus' configuration, a local Prometheus scrapes the booth: its frame
#               count rises, and the H key pressed on the booth's keyboard shows as the Cubes scene
# Needs root (the guest image), ansible-playbook, prometheus, curl, ImageMagick and sqlite3.
#
# STANDVIEW_BOOT_ACCEL as for boot.sh.
set -uo pipefail
[ "$(id -u)" -eq 0 ] || exec sudo bash "$0" "$@"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/lib.sh"
root=$(cd "$here/../.." && pwd)

readonly unit=standview-kiosk.service
readonly content=/var/lib/standview/Data
readonly agent_name=standview.agent
# The booth's name in the inventory, and so in the report's folders and Prometheus' label.
readonly booth=fleet-booth
readonly booth_user=booth
readonly cut_picture=images/ScrollTrogan.tga
readonly display_width=1280
readonly display_height=720
# As in boot.sh: a boot to the first frame has taken up to 90 s under emulation.
readonly boot_seconds=300
readonly ssh_seconds=120
# One playbook run; under emulation each task takes seconds.
readonly play_seconds=420
readonly restart_seconds=180
# The show writes its figures every 10 s, and Prometheus scrapes every 15 s.
readonly scrape_seconds=120
readonly key_seconds=60
readonly ready_seconds=60
# A snapshot whose pixels spread less than this (0 to 1) is taken for one flat colour.
readonly min_snapshot_spread=0.05

deb=$(readlink -f "$1")
[ -f "$deb" ] || { echo "FAIL: no package at $1" >&2; exit 1; }
accel=${STANDVIEW_BOOT_ACCEL:-tcg}
# As in the boot test: under emulation, a processor without AVX, which QEMU 7.2 gets wrong.
cpu=Nehalem
case $accel in
tcg) accel=tcg,thread=multi ;;
kvm) cpu=host ;;
esac

E2E_WORK=$(mktemp -d)
work=$E2E_WORK
qemu_pid=""
prometheus_pid=""
cleanup() {
    [ -z "$prometheus_pid" ] || kill "$prometheus_pid" 2>/dev/null
    [ -z "$qemu_pid" ] || kill -KILL "$qemu_pid" 2>/dev/null
    if [ -n "${STANDVIEW_BOOT_KEEP:-}" ]; then
        echo "fleet: kept $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
passed() { echo "fleet: $1: passed in $2 s"; }

# guest COMMAND [SECONDS]: runs a command as root in the guest, through the agent (not over ssh, which
# is what is tested).
guest() { python3 "$here/guest.py" run "$work/agent.sock" "${2:-120}" "$1"; }
guest_answers() { guest true 10 >/dev/null 2>&1; }

last_play=""
fail() {
    echo "FAIL: $*" >&2
    [ -z "$last_play" ] || { echo "-- the end of $last_play:" >&2; tail -n 40 "$work/$last_play.log" >&2; }
    if [ -n "$qemu_pid" ] && guest_answers; then
        echo "-- the unit's state and journal:" >&2
        guest "systemctl status --no-pager $unit | head -n 15; journalctl -b -u $unit --no-pager | tail -n 30" >&2
        echo "-- ssh and the node exporter:" >&2
        guest "journalctl -b -u ssh -u prometheus-node-exporter --no-pager | tail -n 20" >&2
    fi
    [ -f "$work/prometheus.log" ] && { echo "-- Prometheus:" >&2; tail -n 15 "$work/prometheus.log" >&2; }
    [ -f "$work/console.log" ] && { echo "-- the guest's console:" >&2; tail -n 20 "$work/console.log" >&2; }
    exit 1
}

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

image=$(bash "$here/make-image.sh" "$deb") || fail "the guest image could not be made"
echo "fleet: guest image $image, accelerator $accel"
qemu-img create -q -f qcow2 -F raw -b "$image/disk.img" "$work/disk.qcow2"
ssh_port=$(free_port)
exporter_port=$(free_port)
prometheus_port=$(free_port)

# ---- The booth boots on a network of its own.
boot_started=$(now)
qemu-system-x86_64 -accel "$accel" -cpu "$cpu" -m 2048 -smp 2 -nodefaults -no-user-config \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.img" -append "root=/dev/vda rw console=ttyS0" \
    -drive "file=$work/disk.qcow2,format=qcow2,if=virtio" \
    -nic "user,model=virtio-net-pci,restrict=on,hostfwd=tcp:127.0.0.1:$ssh_port-:22,hostfwd=tcp:127.0.0.1:$exporter_port-:9100" \
    -device "VGA,edid=on,xres=$display_width,yres=$display_height" -display none \
    -serial "file:$work/console.log" \
    -qmp "unix:$work/qmp.sock,server=on,wait=off" \
    -device virtio-serial -chardev "socket,id=agent,path=$work/agent.sock,server=on,wait=off" \
    -device "virtserialport,chardev=agent,name=$agent_name" \
    >"$work/qemu.log" 2>&1 &
qemu_pid=$!
e2e_wait_for "$boot_seconds" guest_answers || fail "the guest did not answer in $boot_seconds s"
passed "the booth up" "$(since "$boot_started")"

# The operators' user, with a key made for this run, who becomes root with sudo.
started=$(now)
ssh-keygen -q -t ed25519 -N "" -C "fleet test" -f "$work/id"
guest "useradd --create-home --shell /bin/bash $booth_user &&
    install -d -m 0700 -o $booth_user -g $booth_user /home/$booth_user/.ssh &&
    echo '$(cat "$work/id.pub")' >/home/$booth_user/.ssh/authorized_keys &&
    chown $booth_user: /home/$booth_user/.ssh/authorized_keys &&
    echo '$booth_user ALL=(ALL) NOPASSWD: ALL' >/etc/sudoers.d/$booth_user && chmod 0440 /etc/sudoers.d/$booth_user" ||
    fail "the operators' user could not be made"
ssh_opts=(-o StrictHostKeyChecking=no -o "UserKnownHostsFile=$work/known_hosts" -o BatchMode=yes -o ConnectTimeout=10)
ssh_works() { ssh "${ssh_opts[@]}" -i "$work/id" -p "$ssh_port" "$booth_user@127.0.0.1" sudo -n true 2>/dev/null; }
e2e_wait_for "$ssh_seconds" ssh_works ||
    fail "no ssh to the booth through 127.0.0.1:$ssh_port: $(guest 'networkctl --no-pager status; systemctl is-active ssh' 30)"
passed "ssh to the booth through 127.0.0.1:$ssh_port, as $booth_user with sudo" "$(since "$started")"

# ---- The playbooks, as an operator runs them.
cp "$deb" "$work/standview.deb"
cat >"$work/inventory.yml" <<EOF
all:
  children:
    booths:
      hosts:
        $booth:
          ansible_host: 127.0.0.1
          ansible_port: $ssh_port
      vars:
        ansible_user: $booth_user
        ansible_pipelining: true
        ansible_python_interpreter: /usr/bin/python3
        ansible_ssh_private_key_file: $work/id
        ansible_ssh_common_args: -o StrictHostKeyChecking=no -o UserKnownHostsFile=$work/known_hosts
        standview_deb: $work/standview.deb
EOF
# Each task's time in the runs' logs.
export ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 ANSIBLE_SSH_CONTROL_PATH_DIR=$work/ssh-control \
    ANSIBLE_LOCAL_TEMP=$work/ansible-tmp ANSIBLE_CALLBACKS_ENABLED=ansible.posix.profile_tasks

# play NAME PLAYBOOK [OPTIONS...]: runs a playbook against the booth, logged in NAME.log, and prints its
# recap; play_status holds its exit status and changed the booth's count of changes.
play() {
    local name=$1 playbook=$2
    shift 2
    last_play=$name
    play_status=0
    timeout "$play_seconds" ansible-playbook -i "$work/inventory.yml" "$root/deploy/ansible/$playbook" "$@" \
        >"$work/$name.log" 2>&1 || play_status=$?
    [ "$play_status" -ne 124 ] || fail "$name: $playbook did not end within $play_seconds s"
    grep -E "^(PLAY RECAP|$booth +:|localhost +:)" "$work/$name.log" | sed 's/\*\**$//; s/  */ /g; s/^/fleet:   /'
    changed=$(sed -n "s/^$booth *:.* changed=\([0-9]*\) .*/\1/p" "$work/$name.log")
    [ -n "$changed" ] || fail "$name: no recap for $booth"
}

# The unit's state as "ActiveState MainPID".
unit_state() {
    guest "systemctl show -p ActiveState,MainPID $unit" 20 |
        awk -F= '{ v[$1] = $2 } END { print v["ActiveState"], v["MainPID"] }'
}
unit_active() { [ "$(unit_state | awk '{ print $1 }')" = active ]; }
# live_manifest: the booth's live content, "checksum  path" a line; local_manifest FOLDER the same here.
live_manifest() { guest "cd $content && find . -type f -print0 | sort -z | xargs -0 sha256sum"; }
local_manifest() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

# The content: the package's own demo content, as the booth has it after the installation; new content
# with two banners swapped and a note added; and that with one picture cut short.
dpkg-deb -x "$deb" "$work/package"
demo=$work/package/usr/share/standview/Data
cp -r "$demo" "$work/good"
mv "$work/good/images/StartScreen2.TGA" "$work/swap.TGA"
mv "$work/good/images/StartScreen3.TGA" "$work/good/images/StartScreen2.TGA"
mv "$work/swap.TGA" "$work/good/images/StartScreen3.TGA"
echo "spring fair" >"$work/good/notes-spring.txt"
cp -r "$work/good" "$work/bad"
head -c 1000 "$work/good/$cut_picture" >"$work/bad/$cut_picture"

started=$(now)
play install booth.yml -e "standview_content=$demo"
[ "$play_status" -eq 0 ] || fail "booth.yml did not install the booth"
[ "$(guest "dpkg-query -W -f '\${Version}' standview")" = "$(dpkg-deb -f "$deb" Version)" ] || fail "the package is not installed"
[ "$(guest "systemctl is-enabled $unit")" = enabled ] || fail "the kiosk unit is not enabled"
guest "systemctl is-active --quiet prometheus-node-exporter" || fail "the node exporter does not run"
e2e_wait_for "$restart_seconds" unit_active || fail "the kiosk is not active after booth.yml: $(unit_state)"
passed "booth.yml on a new booth: the package, the node exporter, the kiosk enabled and active (changed=$changed)" \
    "$(since "$started")"

# Whether the unit was restarted on request since the guest's time SECONDS: a stop the service manager
# logs. Under emulation a busy booth's show can miss its watchdog, which restarts it without one.
guest_now() { guest "date +%s" 20; }
restart_requested_since() { guest "journalctl -u $unit --since @$1 -o cat --no-pager | grep -q '^Stopping $unit'" 30; }

started=$(now)
before=$(live_manifest)
play_started=$(guest_now)
play refused booth.yml -e "standview_content=$work/bad"
[ "$play_status" -ne 0 ] || fail "content with a cut-short picture was not refused"
refusal=$(grep -o "$booth refused the content of [^\"]*" "$work/refused.log" | head -n 1)
[[ $refusal == *"$work/bad"*"$cut_picture: "* ]] || fail "the refusal does not name $cut_picture: ${refusal:-none}"
echo "fleet:   $refusal"
[ "$(live_manifest)" = "$before" ] || fail "the refused content changed $content"
guest "test ! -e $content.incoming" || fail "the refused content was left in $content.incoming"
! restart_requested_since "$play_started" || fail "the refused content restarted the show"
e2e_wait_for "$restart_seconds" unit_active || fail "the show is not active after the refusal: $(unit_state)"
passed "content with a cut-short picture refused, naming it; $content unchanged, the show running on" "$(since "$started")"

started=$(now)
old_main=$(unit_state | awk '{ print $2 }')
play_started=$(guest_now)
play good booth.yml -e "standview_content=$work/good"
[ "$play_status" -eq 0 ] || fail "good content was not pushed"
[ "$changed" -gt 0 ] || fail "the push of new content reported no change"
[ "$(live_manifest)" = "$(local_manifest "$work/good")" ] || fail "$content is not the new content"
restart_requested_since "$play_started" || fail "the new content did not restart the show"
new_main_active() { local s; s=$(unit_state); [ "${s%% *}" = active ] && [ "${s#* }" != "$old_main" ]; }
e2e_wait_for "$restart_seconds" new_main_active || fail "the show did not restart on the new content: $(unit_state)"
passed "good content live: $content is the new content, the show restarted on it (changed=$changed)" "$(since "$started")"

started=$(now)
play again booth.yml -e "standview_content=$work/good"
[ "$play_status" -eq 0 ] || fail "the run with nothing new failed"
[ "$changed" -eq 0 ] || fail "the run with nothing new changed $changed things: $(grep '^changed:' "$work/again.log")"
passed "booth.yml again with nothing new: changed=0" "$(since "$started")"
last_play=""

# ---- report.yml, with the package's program summing the statistics.
# Before any scene key: the snapshot then holds the start screen, whose picture every frame shows. A
# scene's camera flight, which takes a fraction of a second on a booth, lasts minutes under emulation
# and can leave the frame of one colour.
started=$(now)
# The package's program as unpacked here, with its own library.
mkdir -p "$work/bin"
printf '#!/bin/sh\nLD_LIBRARY_PATH=%s exec %s "$@"\n' "$work/package/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)" \
    "$work/package/usr/bin/standview" >"$work/bin/standview"
chmod 755 "$work/bin/standview"
play report report.yml -e "standview_report_dir=$work/report" -e "standview_stats_command=$work/bin/standview"
[ "$play_status" -eq 0 ] || fail "report.yml failed"
report=$work/report
grep -qx 'ActiveState=active' "$report/$booth/unit.txt" || fail "unit.txt does not say active: $(cat "$report/$booth/unit.txt")"
sed 's/^/fleet:   booths.txt: /' "$report/booths.txt"
grep -q "^$booth: active (running)" "$report/booths.txt" || fail "booths.txt does not give the booth as running"
snapshot=$report/$booth/snapshot.png
[ "$(identify -format '%m %wx%h' "$snapshot" 2>/dev/null)" = "PNG 400x300" ] ||
    fail "the snapshot is no 400x300 PNG: $(identify "$snapshot" 2>&1 | head -n 1)"
spread=$(convert "$snapshot" -colorspace gray -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" -v l="$min_snapshot_spread" 'BEGIN { exit !(s >= l) }' ||
    fail "the snapshot is of one flat colour (spread $spread)"
[ "$(sqlite3 "$report/$booth/visits.sqlite" 'PRAGMA integrity_check')" = ok ] || fail "the statistics' copy is damaged"
sed 's/^/fleet:   summary.txt: /' "$report/summary.txt"
grep -qi mainscreen "$report/summary.txt" || fail "the summary does not count the show's starts on its start screen"
passed "report.yml: the unit active, a 400x300 snapshot of the show (spread $spread), the statistics whole, the summary counting the start screen's starts" \
    "$(since "$started")"

# ---- Prometheus, with deploy/prometheus' configuration and rules.
# Started only now: the exporter's answers to its scrapes cost the emulated booth a third of a core,
# which the playbooks' runs need more.
mkdir -p "$work/prometheus"
cp -r "$root/deploy/prometheus/prometheus.yml" "$root/deploy/prometheus/rules" "$work/prometheus/"
cat >"$work/prometheus/booths.yml" <<EOF
- targets:
    - 127.0.0.1:$exporter_port
  labels:
    booth: $booth
EOF
prometheus --config.file="$work/prometheus/prometheus.yml" --storage.tsdb.path="$work/prometheus/data" \
    --web.listen-address="127.0.0.1:$prometheus_port" >"$work/prometheus.log" 2>&1 &
prometheus_pid=$!
prometheus_url=http://127.0.0.1:$prometheus_port
# query EXPRESSION: "labels value" a line for each series of the instant query's answer.
query() {
    curl -fsS --max-time 10 "$prometheus_url/api/v1/query" --data-urlencode "query=$1" | python3 -c '
import json, sys
for series in json.load(sys.stdin)["data"]["result"]:
    labels = ",".join(f"{k}=\"{v}\"" for k, v in sorted(series["metric"].items()))
    print("{" + labels + "}", series["value"][1])'
}
value() { query "$1" | awk 'NR == 1 { print $NF }'; }
ready() { curl -fsS --max-time 5 "$prometheus_url/-/ready" >/dev/null 2>&1; }
started=$(now)
e2e_wait_for "$ready_seconds" ready || fail "Prometheus did not start"
frames_query="standview_frames_total{booth=\"$booth\"}"
scraped() { [ "$(value "up{booth=\"$booth\"}")" = 1 ] && [ -n "$(value "$frames_query")" ]; }
e2e_wait_for "$scrape_seconds" scraped || fail "Prometheus has no frame count of the booth: $(query "up")"
first_frames=$(value "$frames_query")
echo "fleet:   $(query "$frames_query")"
rose() { frames=$(value "$frames_query"); awk -v a="$first_frames" -v b="$frames" 'BEGIN { exit !(b > a) }'; }
e2e_wait_for "$scrape_seconds" rose || fail "standview_frames_total did not rise from $first_frames in $scrape_seconds s"
echo "fleet:   $(query "$frames_query")"
passed "Prometheus scrapes the booth: standview_frames_total rose from $first_frames to $frames" "$(since "$started")"

# The H key on the booth's keyboard, held until the show's status names the scene, as in boot.sh.
started=$(now)
status_text() { guest "systemctl show -p StatusText --value $unit" 20; }
status_names_cubes() { local status; status=$(status_text) && [[ ${status,,} == *cubes* ]]; }
python3 "$here/guest.py" key "$work/qmp.sock" h down >/dev/null
e2e_wait_for "$key_seconds" status_names_cubes
took=$?
python3 "$here/guest.py" key "$work/qmp.sock" h up >/dev/null
[ "$took" -eq 0 ] || fail "the H key did not start the Cubes scene in $key_seconds s (the status says: $(status_text))"
cubes_query="standview_scene{booth=\"$booth\",scene=\"cubes\"}"
cubes_running() { [ "$(value "$cubes_query")" = 1 ]; }
e2e_wait_for "$scrape_seconds" cubes_running || fail "Prometheus does not see the Cubes scene: $(query 'standview_scene')"
query "standview_scene{booth=\"$booth\"}" | sed 's/^/fleet:   /'
passed "the H key on the booth: Prometheus has standview_scene{scene=\"cubes\"} 1" "$(since "$started")"

kill "$prometheus_pid"
wait "$prometheus_pid" 2>/dev/null
prometheus_pid=""
guest "systemctl poweroff" 10 >/dev/null 2>&1
qemu_ended() { ! kill -0 "$qemu_pid" 2>/dev/null; }
e2e_wait_for 60 qemu_ended
wait "$qemu_pid" 2>/dev/null
qemu_pid=""
echo "fleet: every check passed in $(e2e_seconds_since_start) s"
