#!/bin/sh
# Times a JSON Lines batch of 100 000 floating-point operations (`repbin operar flotante -`),
# a third each of additions, subtractions and products of random ieee32 values, rounded to
# nearest, with every object's steps.  Usage: bench/time_operate.sh [COUNT] [REPBIN] [FORMAT]
# (REPBIN defaults to build/bench/repbin, FORMAT to ieee32)
set -eu
count=${1:-100000}
here=$(cd "$(dirname "$0")" && pwd)
bin=${2:-$here/../build/bench/repbin}
format=${3:-ieee32}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Decimal operands with up to three digits after the point, some negative, a fixed seed.
awk -v n="$count" 'BEGIN {
  srand(33); split("+ - x", ops, " ")
  for (i = 0; i < n; i++) {
    a = int(rand() * 2000000) / 1000 - 1000; b = int(rand() * 2000000) / 1000 - 1000
    printf "%s %s %s\n", a, ops[i % 3 + 1], b
  }
}' >"$work/operations.txt"

start=$(date +%s%N)
status=0
"$bin" operar flotante - -f "$format" --redondeo cercano --json <"$work/operations.txt" \
  >"$work/batch.jsonl" || status=$?
end=$(date +%s%N)
lines=$(wc -l <"$work/batch.jsonl")
bytes=$(wc -c <"$work/batch.jsonl")
awk -v ns="$((end - start))" -v n="$lines" -v b="$bytes" -v f="$format" -v s="$status" \
  'BEGIN { printf "JSON Lines batch of %d operations in %s: %.3f s (%.1f us each), %.0f MB, status %d\n",
           n, f, ns / 1e9, ns / 1e3 / n, b / 1e6, s }'
