#!/bin/sh
# Times the built program on the benchmark's mixed session, standard output to a file, and
# reports operations per second, output bytes per second, write system calls per operation and
# peak memory.  Usage: bench/time_binary.sh [ROUNDS]   (after: cmake --workflow --preset bench)
set -eu
rounds=${1:-2000}
build=$(dirname "$0")/../build/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/repbin_make_session" "$rounds" > "$work/session.txt" 2> "$work/ops.txt"
ops=$(cut -d' ' -f1 "$work/ops.txt")

/usr/bin/time -f '%e %M' -o "$work/time.txt" \
  "$build/repbin" < "$work/session.txt" > "$work/out.txt" 2> "$work/err.txt"
read -r seconds peak_kb < "$work/time.txt"
bytes=$(cat "$work/out.txt" "$work/err.txt" | wc -c)

strace -f -c -e trace=write -o "$work/strace.txt" \
  "$build/repbin" < "$work/session.txt" > /dev/null 2> /dev/null
writes=$(awk '$NF == "write" { print $4 }' "$work/strace.txt")

awk -v ops="$ops" -v s="$seconds" -v b="$bytes" -v w="${writes:-0}" -v kb="$peak_kb" 'BEGIN {
  if (s <= 0) s = 0.01
  printf "operations:              %d\n", ops
  printf "seconds:                 %.2f\n", s
  printf "operations per second:   %.0f\n", ops / s
  printf "output MB per second:    %.1f (%d bytes)\n", b / s / 1e6, b
  printf "write calls / operation: %.2f\n", w / ops
  printf "peak memory:             %d KiB\n", kb
}'
