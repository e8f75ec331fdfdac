#!/bin/sh
# Runs the built program with piped input and checks both streams byte for byte and the exit
# status, then the command-line options. Usage: binary_test.sh path/to/repbin VERSION
set -u
bin=$1
version=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
same() {  # same NAME EXPECTED_FILE ACTUAL_FILE
  cmp -s "$2" "$3" || { fail "$1 differs (- expected, + actual):"; diff -a -u "$2" "$3" | sed -n 3,40p; }
}
# run ARGS...: runs the program on $dir/in; leaves $dir/out, $dir/err and $rc.
run() { "$bin" "$@" <"$dir/in" >"$dir/out" 2>"$dir/err"; rc=$?; }
repeat() { printf "%$1s" '' | tr ' ' "$2"; }  # repeat N CHAR
sep() { repeat 58 =; echo; }
main_menu() { printf '\n0) Salir \n1) Representaci\242n\n2) Interpretaci\242n\n '; }

# Natural binary of 5 at the start width, 32, then 0 to leave.
printf '1\n1\n5\n0\n' >"$dir/in" && run
[ "$rc" -eq 0 ] || fail "session: exit status $rc, expected 0"
{
  sep
  printf ' Representaci\242n \nValor a representar 5 \n'
  printf '=======Conversi\242n a binario del n\243mero 5 ======\n'
  printf '\t5/2=\t 2\t y el resto 1 \t %s1\n' "$(repeat 31 _)"
  printf '\t2/2=\t 1\t y el resto 0 \t %s01\n' "$(repeat 30 _)"
  printf '\t1/2=\t 0\t y el resto 1 \t %s101\n' "$(repeat 29 _)"
  for n in $(seq 1 29); do printf '\t\t\t\t\t %s%s101\n' "$(repeat $((29 - n)) _)" "$(repeat "$n" 0)"; done
  printf '\n El dato representado es: %s101 \n' "$(repeat 29 0)"
  sep
} >"$dir/want_out"
{
  main_menu
  printf '0) Menu Anterior \n1) Binario Natural \n2) Complemento a uno \n3) Complemento a dos \n'
  printf '4) Exceso Z \n5) Coma flotante \n6) Cambiar el n\243mero total de la representaci\242n '
  printf '(Actual) 32\n 7) Signo-Magnitud \n\n Introduzca el valor a representar '
  main_menu
} >"$dir/want_err"
same "session stdout" "$dir/want_out" "$dir/out"
same "session stderr" "$dir/want_err" "$dir/err"
# The same answers on lines ending in "\r\n" (a script saved on Windows) give the same bytes.
printf '1\r\n1\r\n5\r\n0\r\n' >"$dir/in" && run
[ "$rc" -eq 0 ] || fail "CRLF session: exit status $rc, expected 0"
same "CRLF session stdout" "$dir/want_out" "$dir/out"
same "CRLF session stderr" "$dir/want_err" "$dir/err"
# The encoding options, whatever the streams are: option, expected "ó" bytes.
for case in '--cp850 \242' '--utf8 \303\263'; do
  set -- $case
  printf '0\n' >"$dir/in" && run "$1"
  printf "\n0) Salir \n1) Representaci$2n\n2) Interpretaci$2n\n " >"$dir/want_err"
  [ "$rc" -eq 0 ] && [ ! -s "$dir/out" ] || fail "$1: status $rc or output on stdout"
  same "$1 stderr" "$dir/want_err" "$dir/err"
done
: >"$dir/in"
run --help
[ "$rc" -eq 0 ] && grep -q 'Uso: repbin' "$dir/out" || fail "--help: status $rc or no usage on stdout"
run --version
[ "$rc" -eq 0 ] && printf 'repbin %s\n' "$version" | cmp -s - "$dir/out" || fail "--version: status $rc or output"
run --no-such-option
[ "$rc" -eq 2 ] && grep -q 'Uso: repbin' "$dir/err" && [ ! -s "$dir/out" ] || fail "unknown option"
[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
