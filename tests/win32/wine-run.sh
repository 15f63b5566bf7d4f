#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest: wine-run.sh PROGRAM [ARGUMENTS...]. The services and the
# desktop that Wine starts along with a program inherit its output and outlive it, so the output goes
# through a file, and CTest waits for the program alone.
set -u
log=$(mktemp)
trap 'rm -f "$log"' EXIT
wine "$@" >"$log" 2>&1
status=$?
cat "$log"
exit $status
