#!/usr/bin/env bash
# The Windows build (the program, QelIo.dll, the zip and the test programs, warnings as errors), then
# under Wine: QELIO against the service manager, the test programs, and the walk of the zip's program.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bash "$root/scripts/build-windows.sh" build-windows -DSTANDVIEW_WINDOWS_TESTS=ON
bash "$root/tests/qelio-windows/run.sh" "$root/build-windows"
bash "$root/tests/win32/run.sh" "$root/build-windows"
bash "$root/tests/e2e/wine_walk.sh" "$root/build-windows"
