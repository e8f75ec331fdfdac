#!/bin/sh
# The one-shot commands through the built program: exit statuses as scripts see them, a batch
# read from a real standard input, JSON Lines, and the exact bytes of one trace.
# Usage: commands_binary_test.sh path/to/repbin
set -u
bin=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# status EXPECTED ARGS...: the exit status of one command with empty input.
status() {
  want=$1
  shift
  "$bin" "$@" </dev/null >"$dir/out" 2>"$dir/err"
  got=$?
  [ "$got" -eq "$want" ] || fail "repbin $*: exit status $got, expected $want"
}

status 0 representar c2 -5 -b 8
status 1 representar c2 200 -b 8
status 1 representar flotante 1e30 --valor -f ieee16
status 2 representar c2
status 2 interpretar natural 012
status 0 interpretar flotante 01000000101011000000000000000000 --json
status 0 interpretar c2 '1111 1011'
status 2 interpretar c2 0x1FF -b 8
status 0 ejercicios -n 3 --semilla 1
status 2 ejercicios -n cero

# The trace, byte for byte: the dialogue's lines for -5 in two's complement with 4 bits; code
# page 850 on a pipe where the locale is not UTF-8.
LC_ALL=C "$bin" representar c2 -5 -b 4 >"$dir/out" 2>"$dir/err"
printf 'Complemento a dos con 4 bits \nValor a representar -5 \n=======Conversi\242n a binario del n\243mero -5 ======\n\t\t\t\t\t ___1\n\t\t\t\t\t __11\n\t\t\t\t\t _011\n\t\t\t\t\t 1011\n\n El dato representado es: 1011 \n%s\n' \
  "$(printf '%58s' '' | tr ' ' =)" >"$dir/want"
cmp -s "$dir/want" "$dir/out" || { fail "trace differs"; diff -a -u "$dir/want" "$dir/out" | sed -n 3,20p; }
[ -s "$dir/err" ] && fail "trace: unexpected standard error"
# Where the locale speaks UTF-8, the commands write UTF-8 on a pipe too; --cp850 still decides.
# (A Windows program, run through its launcher, takes the console's code page instead.)
case $bin in *launcher*) native=no ;; *) native=yes ;; esac
if [ "$native" = yes ] && locale -a 2>/dev/null | grep -qi '^c\.utf-\?8$'; then
  LC_ALL=C.UTF-8 "$bin" representar c2 -5 -b 4 | grep -q 'Conversión a binario del número' ||
    fail "UTF-8 locale: the trace is not UTF-8"
  LC_ALL=C.UTF-8 "$bin" representar c2 -5 -b 4 --cp850 | grep -q "$(printf 'Conversi\242n')" ||
    fail "UTF-8 locale with --cp850: the trace is not in code page 850"
fi

# A batch from standard input with a refused line in the middle: one JSON object per good line,
# the worst status.
printf '7\nocho\n-8\n' | "$bin" representar c2 - -b 4 --json >"$dir/out" 2>"$dir/err"
rc=$?
[ "$rc" -eq 2 ] || fail "batch: exit status $rc, expected 2"
[ "$(grep -c '"operacion":"representar"' "$dir/out")" -eq 2 ] || fail "batch: two JSON lines expected"
grep -q '"cadena":"0111"' "$dir/out" && grep -q '"cadena":"1000"' "$dir/out" || fail "batch: strings"
grep -q 'ocho' "$dir/err" || fail "batch: the refused line is not named on standard error"

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
