#!/usr/bin/env bash
# Builds QelIo.dll for 64-bit Windows with mingw-w64: scripts/build-windows.sh [DIR] (default
# build-windows); the DLL and its import library libQelIo.dll.a land in DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build-windows}
"$root/scripts/deps.sh"
exec bash "$root/scripts/build.sh" "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release
