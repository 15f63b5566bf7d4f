#!/usr/bin/env bash
# Installs, builds and runs every test: the normal build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build, then the extra stages in scripts/test.d (in name order).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
jobs=$(nproc)

"$root/scripts/build.sh" build
(cd "$root/build" && ctest --output-on-failure -j "$jobs")

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$root/scripts/build.sh" build-asan -DSTANDVIEW_SANITIZE=ON
(cd "$root/build-asan" && ctest --output-on-failure -j "$jobs" -LE no-sanitizer)
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

for stage in "$root"/scripts/test.d/*.sh; do
    [ -e "$stage" ] || continue
    echo "== $(basename "$stage")"
    bash "$stage"
done
echo "All test stages passed."
