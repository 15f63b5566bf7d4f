#!/usr/bin/env bash
# Builds QelIo.dll for 64-bit Windows with the documented command, a stand-in QelIo.sys and a test
# program, and runs the program under Wine (64-bit, headless, a fresh prefix) against the real service
# manager.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win=$root/build-windows
out=$win/qelio-test
cc=x86_64-w64-mingw32-gcc
objdump=x86_64-w64-mingw32-objdump
warnings=(-Wall -Wextra -Werror)

echo "-- building QelIo.dll"
bash "$root/scripts/build-windows.sh" build-windows

rm -rf "$out"
# A directory deep enough that the program's full name exceeds MAX_PATH (260 characters).
deep=$out/$(printf 'deep%.0s' {1..40})/$(printf 'deeper%.0s' {1..40})
mkdir -p "$out/app" "$out/nodriver" "$out/win9x" "$deep"

echo "-- building the stand-in QelIo.sys and the test program"
cp "$win/QelIo.dll" "$out/app/"
"$cc" -std=gnu11 -O2 "${warnings[@]}" -o "$out/app/QelIo.sys" "$root/tests/qelio-windows/QelIoDriver.c" \
    -shared -nostdlib -Wl,--subsystem,native -Wl,--entry,DriverEntry -lntoskrnl
"$cc" -std=gnu11 -O2 "${warnings[@]}" -I"$root" -o "$out/app/QelIoWineTest.exe" \
    "$root"/tests/qelio-windows/*Test.c "$win/libQelIo.dll.a" -ladvapi32
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

prefix=$(mktemp -d)
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all DISPLAY=
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

echo "-- creating a Wine prefix"
timeout 180 wine wineboot -i >/dev/null 2>&1
# Services that wineboot started must settle before a driver service can be started.
timeout 120 wineserver -w

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
echo "QELIO on Windows: all scenarios passed"
