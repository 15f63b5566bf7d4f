#!/usr/bin/env bash
# Builds build-tsan with ThreadSanitizer and runs the tests that run this project's threads under it: the
# in-process suites and the real program's end-to-end runs, less those labelled no-sanitizer or no-tsan,
# and less the soak unless TSAN_SOAK=1 (its simulated day alone took nine minutes under the sanitizer).
# Every process writes its reports to a file of its own, so that a report from a program the test kills
# is kept too; any report fails the run, and each is printed at the end. Suppressions: tests/tsan.supp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" base program stats tests
jobs=$(nproc)
build="$root/build-tsan"
reports="$build/tsan-reports"

"$root/scripts/build.sh" build-tsan -DSTANDVIEW_SANITIZE_THREAD=ON
rm -rf "$reports"
mkdir -p "$reports"

left_out="no-sanitizer|no-tsan"
[ "${TSAN_SOAK:-0}" = 1 ] || left_out="$left_out|soak"
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:halt_on_error=0:second_deadlock_stack=1:log_path=$reports/report"
status=0
(cd "$build" && ctest --output-on-failure -j "$jobs" -LE "$left_out") || status=$?

mapfile -t found < <(find "$reports" -type f -name 'report.*' | sort)
if [ ${#found[@]} -gt 0 ]; then
    for report in "${found[@]}"; do
        echo "== $report"
        cat "$report"
    done
    count=$(cat "${found[@]}" | grep -c -E '(WARNING|ERROR): ThreadSanitizer' || true)
    echo "ThreadSanitizer: $count reports from ${#found[@]} processes (kept in $reports)" >&2
    exit 1
fi
[ "$status" -eq 0 ] || exit "$status"
echo "ThreadSanitizer: no reports"
