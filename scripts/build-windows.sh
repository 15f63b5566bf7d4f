#!/usr/bin/env bash
# Builds the presentation for 64-bit Windows with mingw-w64: scripts/build-windows.sh [DIR [CMAKE
# OPTIONS...]] (default DIR build-windows). DIR receives standview.exe, QelIo.dll with its import
# library libQelIo.dll.a, and Standview-VERSION-windows.zip (the program, the library, Data and a
# README for Windows users).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build-windows}
shift || true
"$root/scripts/deps.sh" base qelio
exec bash "$root/scripts/build.sh" "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release "$@"
