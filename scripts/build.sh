#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S "$root" -B "$root/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTANDVIEW_WERROR="$werror" "$@" >/dev/null
cmake --build "$root/$dir"
