#!/bin/sh
# Moodle XML banks read back by a real XML parser (Python's xml.etree) and checked against the
# JSON Lines bank of the same command: every kind, variants, custom layouts whose values may not
# fit, the arithmetic kinds. Usage: moodle_test.sh path/to/repbin path/to/moodle_check.py
set -u
bin=$1
check=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
command -v python3 >/dev/null || { echo "FAIL: python3 is needed (sh scripts/deps test)"; exit 1; }

# NAME|VARIANTS|OPTIONS
while IFS='|' read -r name variants options; do
  # shellcheck disable=SC2086 # the options are words
  "$bin" ejercicios $options --variantes "$variants" --salida moodle >"$dir/bank.xml" ||
    fail "$name: exit status $?"
  # shellcheck disable=SC2086
  "$bin" ejercicios $options --variantes "$variants" --salida json >"$dir/bank.jsonl"
  python3 "$check" "$dir/bank.xml" "$dir/bank.jsonl" "$variants" >"$dir/report" 2>&1 ||
    { fail "$name:"; cat "$dir/report"; }
  [ -n "${VERBOSE:-}" ] && cat "$dir/report"
done <<'EOF_CASES'
every kind|1|-n 120 --semilla 11
three variants|3|-n 30 --semilla 12 --dificultad 3
floating point, values that may not fit|1|-n 60 --semilla 13 --tipos flotante --inexactos --bits-flotante 8 --exp 3
floating point, complement mantissa|2|-n 40 --semilla 14 --tipos flotante --sis-man c2 --norma 0M --dificultad 3
arithmetic|2|-n 40 --semilla 15 --tipos natural,c1,c2,exceso,sm,suma,resta -b 6
floating-point arithmetic|1|-n 30 --semilla 16 --tipos suma-flotante,producto-flotante -f ieee16
EOF_CASES

# A bank of no question is still a bank.
"$bin" ejercicios -n 1 --semilla 1 --tipos c2 -b 2 --variantes 2 --salida moodle >"$dir/small.xml"
python3 -c 'import sys, xml.etree.ElementTree as E; E.parse(sys.argv[1])' "$dir/small.xml" ||
  fail "a small bank does not parse"

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
