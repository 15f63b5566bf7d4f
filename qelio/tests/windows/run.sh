#!/usr/bin/env bash
# Builds a stand-in QelIo.sys and a test program against the QelIo.dll of a Windows build
# (scripts/build-windows.sh), and runs the program under Wine (64-bit, headless) against the real service
# manager: qelio/tests/windows/run.sh BUILD_DIR. The prefix is the one STANDVIEW_WINE_PREFIX names, or a
# fresh one (tests/wine_prefix.sh); the scenarios need one without the driver service, and leave it so.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
source "$root/tests/wine_prefix.sh"
win=$(realpath "${1:?usage: run.sh BUILD_DIR}")
out=$win/qelio-test
cc=x86_64-w64-mingw32-gcc
objdump=x86_64-w64-mingw32-objdump
warnings=(-Wall -Wextra -Werror)

rm -rf "$out"
# A directory deep enough that the program's full name exceeds MAX_PATH (260 characters).
deep=$out/$(printf 'deep%.0s' {1..40})/$(printf 'deeper%.0s' {1..40})
mkdir -p "$out/app" "$out/nodriver" "$out/win9x" "$deep"

echo "-- building the stand-in QelIo.sys and the test program"
cp "$win/QelIo.dll" "$out/app/"
"$cc" -std=gnu11 -O2 "${warnings[@]}" -o "$out/app/QelIo.sys" "$root/qelio/tests/windows/QelIoDriver.c" \
    -shared -nostdlib -Wl,--subsystem,native -Wl,--entry,DriverEntry -lntoskrnl
"$cc" -std=gnu11 -O2 "${warnings[@]}" -I"$root" -o "$out/app/QelIoWineTest.exe" \
    "$root"/qelio/tests/windows/*Test.c "$win/libQelIo.dll.a" -ladvapi32
cp "$out/app/QelIo.dll" "$out/app/QelIoWineTest.exe" "$out/nodriver/"
cp "$out/app/QelIo.dll" "$out/app/QelIoWineTest.exe" "$out/app/QelIo.sys" "$deep/"
cp "$out/app/QelIo.dll" "$out/win9x/"
cp "$out/app/QelIoWineTest.exe" "$out/win9x/QelIoWineTest9x.exe"

echo "-- checking the DLL's exports"
exports=$("$objdump" -p "$out/app/QelIo.dll" |
    sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\]/ && !/Table/ {print $NF}' | sort | tr '\n' ' ')
expected="QelIoCloseSession QelIoGetLastError QelIoInitialize QelIoInitializeAuto QelIoInstall QelIoUninstall "
if [ "$exports" != "$expected" ]; then
    echo "QelIo.dll exports [$exports], expected [$expected]"
    exit 1
fi

scratch=$(mktemp -d)
export DISPLAY=
cleanup() {
    wine_prefix_end
    rm -rf "$scratch"
}
trap cleanup EXIT

[ -n "${STANDVIEW_WINE_PREFIX:-}" ] || echo "-- creating a Wine prefix"
wine_prefix_use "$scratch"

# Windows 98 for the second copy of the program only.
timeout 60 wine reg add 'HKCU\Software\Wine\AppDefaults\QelIoWineTest9x.exe' /v Version /d win98 /f >/dev/null

run() {
    local dir=$1 program=$2 scenario=$3
    (cd "$dir" && timeout 120 wine "$program" "$scenario")
}

echo "-- running the scenarios"
run "$out/nodriver" QelIoWineTest.exe missing-driver
run "$out/win9x" QelIoWineTest9x.exe windows9x
# Wine cannot enter a working directory that long, so the program is started by its full name.
run "$out" "$deep/QelIoWineTest.exe" long-path
run "$out/app" QelIoWineTest.exe auto
run "$out/app" QelIoWineTest.exe sessions
run "$out/app" QelIoWineTest.exe uninstall-running
run "$out/app" QelIoWineTest.exe stopped-service

# The server writes the registry out as it ends: what a program run next in the prefix finds there.
wine_prefix_end
if grep -qi '^\[System\\\\CurrentControlSet\\\\Services\\\\QelIo\]' "$WINEPREFIX/system.reg"; then
    echo "the scenarios left the QelIo service in the prefix"
    exit 1
fi
left=$(find "$WINEPREFIX/drive_c/windows" -iname QelIo.sys)
if [ -n "$left" ]; then
    echo "the scenarios left $left in the prefix"
    exit 1
fi
echo "QELIO on Windows: all scenarios passed, and they left no driver service or driver copy"
