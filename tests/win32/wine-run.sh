#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest: wine-run.sh PROGRAM [ARGUMENTS...]. The services and the
# desktop that Wine starts along with a program inherit its output and outlive it, so the output goes
# through a file, and CTest waits for the program alone.
set -u
log=$(mktemp)
trap 'rm -f "$log"' EXIT
started=${EPOCHREALTIME/./}
# Beside the program's own output, only Wine's errors in loading and mapping it: a program that Wine
# fails to start says nothing of its own.
WINEDEBUG=-all,err+module,err+virtual,err+process wine "$@" >"$log" 2>&1
status=$?
cat "$log"
# A failure says how it ended, on a line of its own, even when the program printed nothing.
if [ "$status" -ne 0 ]; then
    [ -z "$(tail -c 1 "$log")" ] || echo
    echo "wine-run: $1 ended with status $status after $(((${EPOCHREALTIME/./} - started) / 1000)) ms" >&2
fi
exit $status
