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

# The boot test's guest is made in the background in two steps, each while other stages run: the base
# system, which takes minutes of downloads and unpacking and needs no package, while the builds run;
# the package's dependencies on top, once the package stage has built it, while the stages before the
# boot test run. The guest stages wait for the image (make-image.sh holds a lock while it works).
guest_image_log=$(mktemp)
guest_image_pids=()
# guest_image ARGUMENT: starts make-image.sh with it in the background.
guest_image() {
    bash "$root/tests/boot/make-image.sh" "$1" >>"$guest_image_log" 2>&1 &
    guest_image_pids+=($!)
}
# Never killed halfway, which could leave its mounts behind. A failure shows here and again, with the
# stage's own run of make-image.sh, in the boot stage.
guest_image_wait() {
    local pid
    for pid in "${guest_image_pids[@]}"; do
        wait "$pid" || { echo "the boot guest's image failed:"; tail -n 20 "$guest_image_log"; }
    done
    rm -f "$guest_image_log"
}
trap guest_image_wait EXIT

stage deps "$root/scripts/deps.sh"
guest_image --base
stage normal normal_tests
stage sanitizers sanitizer_tests
for script in "$root"/scripts/test.d/*.sh; do
    [ -e "$script" ] || continue
    name=$(basename "$script" .sh)
    name=${name#[0-9][0-9]-}
    stage "$name" bash "$script"
    if [ "$name" = package ]; then
        guest_image "$(ls "$root"/build-deb/standview_*_amd64.deb | head -n 1)"
    fi
done
printf '%s\n' "${times[@]}"
echo "All test stages passed in $SECONDS s."
