#!/usr/bin/env bash
# The Windows build (the program, QelIo.dll and the zip, warnings as errors), then QELIO against the
# service manager under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bash "$root/scripts/build-windows.sh" build-windows
bash "$root/tests/qelio-windows/run.sh" "$root/build-windows"
