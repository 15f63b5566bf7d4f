#!/usr/bin/env bash
# The Windows build (the program, QelIo.dll, the zip and the test programs, warnings as errors), then
# under Wine, in one prefix made while the build runs: QELIO against the service manager, the test
# programs, and the walk of the zip's program. The order matters (tests/wine_prefix.sh says what each
# leaves): the QELIO scenarios need a prefix without their driver service and check that they leave it
# so, and the walk, which sets Wine's virtual desktop for the prefix, comes last.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/wine_prefix.sh"

work=$(mktemp -d)
prefix_pid=""
cleanup() {
    [ -z "$prefix_pid" ] || kill "$prefix_pid" 2>/dev/null || true
    WINEPREFIX=$work/prefix wine_prefix_end
    rm -rf "$work"
}
trap cleanup EXIT

# Making a prefix mostly waits on Wine's services, so it overlaps the build.
started=$SECONDS
wine_prefix_make "$work/prefix" "$work/wineboot.log" &
prefix_pid=$!
bash "$root/scripts/build-windows.sh" build-windows -DSTANDVIEW_WINDOWS_TESTS=ON
echo "-- the Windows build took $((SECONDS - started)) s"
wait "$prefix_pid" || { tail -n 20 "$work/wineboot.log" >&2; echo "no Wine prefix could be made" >&2; exit 1; }
prefix_pid=""
echo "-- Wine prefix ready $((SECONDS - started)) s after the build started"
export STANDVIEW_WINE_PREFIX=$work/prefix

for step in "qelio/tests/windows/run.sh" "tests/win32/run.sh" "tests/e2e/walk.sh wine"; do
    started=$SECONDS
    read -ra command <<<"$step"
    bash "$root/${command[0]}" "${command[@]:1}" "$root/build-windows"
    echo "-- $step took $((SECONDS - started)) s"
done
