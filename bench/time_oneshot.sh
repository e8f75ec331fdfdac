#!/bin/sh
# Times one-shot commands against a C hello-world, side by side in the same run, and a JSON Lines
# batch of 100 000 integer values.  Usage: bench/time_oneshot.sh [RUNS] [REPBIN]
# (after: cmake --workflow --preset bench; REPBIN defaults to build/bench/repbin)
set -eu
runs=${1:-300}
here=$(cd "$(dirname "$0")" && pwd)
bin=${2:-$here/../build/bench/repbin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '#include <stdio.h>\nint main(void) { puts("hola"); return 0; }\n' >"$work/hello.c"
cc -O2 -o "$work/hello" "$work/hello.c"

# The median wall time of each program, the runs alternating so that all see the same load.
set -- $("$here/../build/bench/bench/repbin_spawn_timer" "$runs" -- "$work/hello" \
  -- "$bin" representar c2 -5 -b 8 -- "$bin" representar flotante 5.375)
h=$1 n=$2 f=$3
echo "median of $runs runs (microseconds, from spawn to exit):"
echo "  C hello-world:                          $h"
awk -v t="$n" -v h="$h" 'BEGIN { printf "  repbin representar c2 -5 -b 8:          %d (%.2f x hello-world)\n", t, t / h }'
awk -v t="$f" -v h="$h" 'BEGIN { printf "  repbin representar flotante 5.375:      %d (%.2f x hello-world)\n", t, t / h }'

seq -50000 49999 >"$work/values.txt"
start=$(date +%s%N)
"$bin" representar c2 - -b 32 --json <"$work/values.txt" >"$work/batch.jsonl"
end=$(date +%s%N)
lines=$(wc -l <"$work/batch.jsonl")
awk -v ns="$((end - start))" -v n="$lines" \
  'BEGIN { printf "JSON Lines batch of %d integer values: %.3f s\n", n, ns / 1e9 }'
