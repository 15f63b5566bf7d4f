#!/usr/bin/env bash
# Installs what the presentation needs, builds it and runs it on the bundled demo data.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" base program stats
# Only the program and its port library: the test programs are not needed to run it.
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target standview
cd "$root"
if [ -z "${DISPLAY:-}" ]; then
    echo "No DISPLAY set: running on a virtual X server (xvfb-run); nothing will be visible."
    exec xvfb-run -a -s "-screen 0 800x600x24" "$root/build/standview"
fi
exec "$root/build/standview"
