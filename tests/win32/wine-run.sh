#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest: wine-run.sh PROGRAM [ARGUMENTS...]. The services and the
# desktop that Wine starts along with a program inherit its output and outlive it, so the output goes
# through a file, and CTest waits for the program alone.
set -u
log=$(mktemp)
trap 'rm -f "$log"' EXIT
started=${EPOCHREALTIME/./}
wine "$@" >"$log" 2>&1
status=$?
cat "$log"
# A failure that printed nothing says at least how it ended.
[ "$status" -eq 0 ] ||
    echo "wine-run: $1 ended with status $status after $(((${EPOCHREALTIME/./} - started) / 1000)) ms" >&2
exit $status
