#!/usr/bin/env bash
# booth.yml's content push for real, on this machine: a scratch folder stands for the booth's
# /var/lib/standview, the content is checked by the given program as the user nobody, and the show's
# restart goes to a stand-in systemctl that notes it. A dry run (--check) changes nothing; good
# content goes live whole, with the content it replaced kept aside, and the show restarts once; the
# same content again changes nothing; content with a cut-short picture is refused, naming the picture,
# and the booth keeps what it showed; content holding a symbolic link is refused before anything is
# copied.
#   bash deploy/ansible/tests/content-push.sh build/standview
set -euo pipefail
# The check runs as another user, through runuser.
[ "$(id -u)" -eq 0 ] || exec sudo bash "$0" "$@"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
standview=$(realpath "${1:?usage: content-push.sh STANDVIEW}")
readonly check_user=nobody
readonly cut_picture=images/ScrollTrogan.tga

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The check's user must reach the content through the scratch folder.
chmod 755 "$work"
booth=$work/booth
live=$booth/Data
mkdir -p "$booth" "$work/bin"

# The booth's live content: the demo content and a file the new content no longer has.
cp -r "$root/Data" "$live"
echo "autumn fair" >"$live/notes-autumn.txt"
cp -r "$live" "$work/before"
# New content: two banners swapped, and a new file.
cp -r "$root/Data" "$work/good"
mv "$work/good/images/StartScreen2.TGA" "$work/swap.TGA"
mv "$work/good/images/StartScreen3.TGA" "$work/good/images/StartScreen2.TGA"
mv "$work/swap.TGA" "$work/good/images/StartScreen3.TGA"
echo "spring fair" >"$work/good/notes-spring.txt"
# The same with one picture cut short.
cp -r "$work/good" "$work/bad"
head -c 1000 "$work/good/$cut_picture" >"$work/bad/$cut_picture"
# The same with a movie linked in place of a copy.
cp -r "$work/good" "$work/linked"
ln -s Booth1.avi "$work/linked/movies/extra.avi"
chmod -R go+rX "$work"

# Answers the systemd module's questions as for a running unit, and notes every other request.
cat >"$work/bin/systemctl" <<'FAKE'
#!/bin/sh
case "$1" in
show) printf 'Id=%s\nLoadState=loaded\nActiveState=active\nSubState=running\n' "$2" ;;
*) echo "$*" >>"$SYSTEMCTL_LOG" ;;
esac
FAKE
chmod 755 "$work/bin/systemctl"
export SYSTEMCTL_LOG=$work/systemctl.log
touch "$SYSTEMCTL_LOG"

fail() {
    echo "FAIL: $*" >&2
    [ ! -f "$work/run.log" ] || tail -n 30 "$work/run.log" >&2
    exit 1
}

# push CONTENT [ansible-playbook options...]: sets rc and changed from the run and its recap.
push() {
    local content=$1
    shift
    rc=0
    PATH="$work/bin:$PATH" ANSIBLE_ROLES_PATH="$here/../roles" ANSIBLE_NOCOLOR=1 \
        ansible-playbook -i localhost, "$here/content.yml" \
        -e "standview_content=$content" -e "standview_data_dir=$live" \
        -e "standview_command=$standview" -e "standview_user=$check_user" "$@" >"$work/run.log" 2>&1 || rc=$?
    changed=$(sed -n 's/^localhost *:.* changed=\([0-9]*\) .*/\1/p' "$work/run.log")
    [ -n "$changed" ] || fail "no recap in the run's output"
    echo "-- $(grep '^localhost *:' "$work/run.log" | tr -s ' ') (exit code $rc)"
}

same() {
    diff -r "$1" "$2" >/dev/null || fail "$3"
}

restarts() {
    grep -c "^restart standview-kiosk.service" "$SYSTEMCTL_LOG" || true
}

started=$SECONDS

echo "dry run of new content"
push "$work/good" --check
[ "$rc" -eq 0 ] || fail "the dry run failed"
[ "$changed" -gt 0 ] || fail "the dry run saw nothing to change"
same "$work/before" "$live" "the dry run changed the live content"
[ ! -e "$live.incoming" ] || fail "the dry run left $live.incoming"
[ "$(restarts)" -eq 0 ] || fail "the dry run restarted the show"

echo "new content"
push "$work/good"
[ "$rc" -eq 0 ] || fail "good content was not pushed"
[ "$changed" -gt 0 ] || fail "the push reported no change"
same "$work/good" "$live" "the live content is not the new content"
same "$work/before" "$live.previous" "the replaced content was not kept aside"
[ ! -e "$live.incoming" ] || fail "the push left $live.incoming"
[ "$(restarts)" -eq 1 ] || fail "the show restarted $(restarts) times, not once"

echo "the same content again"
push "$work/good"
[ "$rc" -eq 0 ] || fail "the second run failed"
[ "$changed" -eq 0 ] || fail "the second run changed $changed things"
[ "$(restarts)" -eq 1 ] || fail "the second run restarted the show"

echo "content with a cut-short picture"
push "$work/bad"
[ "$rc" -ne 0 ] || fail "content with a cut-short picture was not refused"
grep -q "refused the content of $work/bad.*$cut_picture: not a TGA picture" "$work/run.log" ||
    fail "the refusal does not name $cut_picture"
grep -o "refused the content of [^\"]*" "$work/run.log" | head -n 1 | sed 's/^/   /'
same "$work/good" "$live" "the refused content changed the live content"
same "$work/before" "$live.previous" "the refused content changed the content kept aside"
[ ! -e "$live.incoming" ] || fail "the refused content was left in $live.incoming"
[ "$(restarts)" -eq 1 ] || fail "the refused content restarted the show"

echo "content with a symbolic link"
push "$work/linked"
[ "$rc" -ne 0 ] || fail "content with a symbolic link was not refused"
grep -q "holds symbolic links.*movies/extra.avi" "$work/run.log" || fail "the refusal does not name the link"
same "$work/good" "$live" "the refused content changed the live content"

echo "content-push: passed in $((SECONDS - started)) s"
