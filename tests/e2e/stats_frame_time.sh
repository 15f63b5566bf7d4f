#!/usr/bin/env bash
# Benchmark, not a test: the frame time of the whole presentation with the visit statistics recording
# and without, run after run in turn on one machine, while the scene keys are pressed once a second so
# that records are written during the timed frames. Prints each run's figures and the ratio of the
# medians of medians.
#
# Usage: stats_frame_time.sh PROGRAM [ROUNDS] [FRAMES]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(readlink -f "$1")
rounds=${2:-2}
frames=${3:-200}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export FRAME_TIME_KEYS="L K J H"

declare -A medians=([off]="" [on]="")
for round in $(seq "$rounds"); do
    for mode in off on; do
        run="--windowed"
        [ "$mode" = on ] && run+=" --stats-db $scratch/visits-$round.sqlite"
        line=$(bash "$here/frame_time.sh" "$program" "$frames" "$run" | grep -o 'frames .*') ||
            { echo "run $round ($mode) failed" >&2; exit 1; }
        echo "round $round, recording $mode: $line"
        medians[$mode]+="$(echo "$line" | awk '{ print $4 }') "
    done
done
for mode in off on; do
    echo "recording $mode: medians ${medians[$mode]}"
done
awk -v off="${medians[off]}" -v on="${medians[on]}" 'function median(list,   n, v, i, j, t) {
        n = split(list, v, " ")
        for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
        return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    BEGIN { printf "median frame time: %.1f ms off, %.1f ms on; on/off = %.3f\n", median(off), median(on), median(on) / median(off) }'
