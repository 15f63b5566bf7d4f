#!/usr/bin/env bash
# Runs the Windows test programs of a build configured with -DSTANDVIEW_WINDOWS_TESTS=ON under Wine:
# tests/win32/run.sh BUILD_DIR [CTEST OPTIONS...]. They run in the prefix that STANDVIEW_WINE_PREFIX names,
# or else in a fresh one in a temporary folder (tests/wine_prefix.sh), on an Xvfb display of their own;
# what this starts is gone when it ends, and so is a prefix of its own.
set -euo pipefail
source "$(dirname "$0")/../wine_prefix.sh"
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [CTEST OPTIONS...]" >&2; exit 2; }
build=$(realpath "$1")
shift
for tool in wine wineserver Xvfb ctest; do
    command -v "$tool" >/dev/null || { echo "run: $tool is missing" >&2; exit 1; }
done
[ -f "$build/tests/win32/CTestTestfile.cmake" ] ||
    { echo "run: $build has no Windows tests (configure it with -DSTANDVIEW_WINDOWS_TESTS=ON)" >&2; exit 1; }

work=$(mktemp -d)
xvfb=
cleanup() {
    wine_prefix_end
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb takes the first free display itself and says which.
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 300); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "run: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
[ -s "$work/display" ] || { echo "run: Xvfb named no display" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
echo "-- Xvfb on $DISPLAY"

# A prefix made before the first of the programs, and a server that stays up between them: a cold server
# under load can fail a program's first window.
started=$SECONDS
[ -n "${STANDVIEW_WINE_PREFIX:-}" ] || echo "-- creating a Wine prefix"
wine_prefix_use "$work" || { echo "run: the prefix could not be made" >&2; exit 1; }
wineserver -p
# The desktop process that every window needs, started ahead: a program that has to start it under load
# gives up waiting after some seconds and makes no window. Until it answers, a window may still fail, so
# the offscreen context's test is tried (a few times at most) before the others run.
wine explorer.exe /desktop >"$work/explorer.log" 2>&1 &
for _ in 1 2 3; do
    (cd "$build/tests/win32" && timeout 300 wine test_platform.exe --gtest_filter='OffscreenContext.*') \
        >"$work/desktop.log" 2>&1 && break
done
echo "-- prefix and desktop ready in $((SECONDS - started)) s"

cd "$build"
ctest --output-on-failure "$@"
