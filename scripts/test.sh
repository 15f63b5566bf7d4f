#!/usr/bin/env bash
# Installs, builds and runs every test: the normal build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build, then the extra stages in scripts/test.d (in name order).
# Each stage ends with a line giving its wall-clock seconds, and the run with a table of them all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
times=()

# stage NAME COMMAND...: runs one stage and keeps its time for the table at the end.
stage() {
    local name=$1 started=$SECONDS
    shift
    echo "== $name"
    "$@"
    times+=("$(printf '%-16s %5d s' "$name" $((SECONDS - started)))")
    echo "== $name: $((SECONDS - started)) s"
}

# The end-to-end scripts run once, on the sanitizer build, where the same run also finds memory and
# undefined-behaviour faults; here only those the sanitizers cannot run. The optimised build as shipped
# meets the real program's runs in the package's kiosk check and the booted guest.
normal_tests() {
    "$root/scripts/build.sh" build
    (
        cd "$root/build"
        ctest --output-on-failure -j "$jobs" -LE e2e
        ctest --output-on-failure -j "$jobs" -L e2e -L no-sanitizer
    )
}

sanitizer_tests() {
    "$root/scripts/build.sh" build-asan -DSTANDVIEW_SANITIZE=ON
    (
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
        export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        cd "$root/build-asan" && ctest --output-on-failure -j "$jobs" -LE no-sanitizer
    )
}

stage deps "$root/scripts/deps.sh"
# The boot test's guest starts from a base system that takes minutes of downloads and unpacking and
# needs no package: it is made while the builds run, and the boot stage waits for it.
boot_base_log=$(mktemp)
bash "$root/tests/boot/make-image.sh" --base >"$boot_base_log" 2>&1 &
boot_base_pid=$!
# It is never killed halfway, which could leave its mounts behind.
trap 'wait "$boot_base_pid" || { echo "the boot guest base failed:"; tail -n 20 "$boot_base_log"; }; rm -f "$boot_base_log"' EXIT
stage normal normal_tests
stage sanitizers sanitizer_tests
for script in "$root"/scripts/test.d/*.sh; do
    [ -e "$script" ] || continue
    name=$(basename "$script" .sh)
    stage "${name#[0-9][0-9]-}" bash "$script"
done
printf '%s\n' "${times[@]}"
echo "All test stages passed in $SECONDS s."
