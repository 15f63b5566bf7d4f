#!/usr/bin/env bash
# The Windows build with its test programs, then under Wine: QELIO against the service manager, the
# core's tests, and the walk through the presentation.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bash "$root/scripts/build-windows.sh" build-windows -DSTANDVIEW_WINDOWS_TESTS=ON
bash "$root/tests/qelio-windows/run.sh" "$root/build-windows"
