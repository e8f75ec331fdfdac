#!/bin/sh
# Runs every session script in examples/ through the built program and compares both streams
# with the expected files beside it (NAME.in -> NAME.out, NAME.err) and the exit status with 0.
# Usage: examples_test.sh path/to/repbin path/to/examples
set -u
bin=$1
dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for input in "$dir"/*.in; do
  name=$(basename "$input" .in)
  "$bin" <"$input" >"$work/out" 2>"$work/err"
  rc=$?
  [ "$rc" -eq 0 ] || { echo "FAIL $name: exit status $rc"; status=1; }
  for stream in out err; do
    if ! cmp -s "$dir/$name.$stream" "$work/$stream"; then
      echo "FAIL $name: standard $stream differs (- expected, + actual)"
      diff -a -u "$dir/$name.$stream" "$work/$stream" | sed -n '3,30p'
      status=1
    fi
  done
done
exit $status
