#!/bin/sh
# What a student types in the first hour, through the built program: the excess the commands
# use when -z is absent, practice answers in a form other than the expected one, refusals that
# point to the way that works, and the round-to-nearest line where IEEE 754 overflows. Every
# expected value is worked out here with plain shell integer arithmetic.
# Usage: student_inputs_test.sh path/to/repbin
set -u
bin=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# natural BITS: the value of a string of 0s and 1s.
natural() {
  v=0
  s=$1
  while [ -n "$s" ]; do
    v=$((v * 2 + ${s%"${s#?}"}))
    s=${s#?}
  done
  echo "$v"
}
# binary VALUE WIDTH: VALUE (0 <= VALUE < 2^WIDTH) in WIDTH bits.
binary() {
  out=
  v=$1
  i=0
  while [ "$i" -lt "$2" ]; do
    out=$((v % 2))$out
    v=$((v / 2))
    i=$((i + 1))
  done
  echo "$out"
}
repeat() {  # repeat CHAR N
  out=
  i=0
  while [ "$i" -lt "$2" ]; do
    out=$out$1
    i=$((i + 1))
  done
  echo "$out"
}
# usual N: the excess 2^(N-1) - 1, capped at 2^31 - 1.
usual() {
  n=$1
  [ "$n" -gt 32 ] && n=32
  echo $(((1 << (n - 1)) - 1))
}
# has FILE TEXT: FILE holds TEXT.
has() { grep -qF -- "$2" "$1"; }

# ---- The excess without -z: 2^(n-1) - 1 for the n bits of the string --------------------------
while read -r bits; do
  z=$(usual ${#bits})
  want=$(($(natural "$bits") - z))
  "$bin" interpretar exceso "$bits" --utf8 >"$dir/out" 2>&1
  has "$dir/out" "El resultado en Exceso $z es $want " ||
    fail "interpretar exceso $bits: expected $want in excess $z"
  "$bin" interpretar exceso "$bits" --json >"$dir/out" 2>&1
  has "$dir/out" "\"valor\":$want," && has "$dir/out" "\"exceso\":$z," ||
    fail "interpretar exceso $bits --json: expected valor $want and exceso $z: $(cat "$dir/out")"
done <<'EOF'
0000
1000
10000000
01111111
1111111111111111
0000000000000000000000000000000000000001
EOF

# representar: VALUE WIDTH; the string is VALUE + excess in natural binary.
while read -r value width; do
  z=$(usual "$width")
  want=$(binary $((value + z)) "$width")
  "$bin" representar exceso "$value" -b "$width" --utf8 >"$dir/out" 2>&1
  has "$dir/out" "Exceso $z con $width bits" && has "$dir/out" "El dato representado es: $want " ||
    fail "representar exceso $value -b $width: expected $want in excess $z"
done <<'EOF'
-5 4
8 4
-7 4
0 8
-127 8
100 12
EOF
# -z still wins.
"$bin" interpretar exceso 0000 -z 3 --json >"$dir/out" 2>&1
has "$dir/out" '"valor":-3,' || fail "interpretar exceso 0000 -z 3: $(cat "$dir/out")"

# ---- Practice: answers of another form ----------------------------------------------------------
# statement OPTIONS...: the first exercise's statement that `practicar OPTIONS` poses.
statement() {
  "$bin" practicar -n 1 "$@" --utf8 </dev/null 2>&1 >/dev/null | sed -n 's/^Ejercicio 1 de 1\. //p'
}
# practise ANSWERS WANT_OUT WANT_ERR OPTIONS...: the round's standard output holds WANT_OUT, its
# standard error WANT_ERR (each skipped when empty; "!" before one means it must not appear).
practise() {
  answers=$1 want_out=$2 want_err=$3
  shift 3
  printf '%b' "$answers" | "$bin" practicar -n 1 "$@" --utf8 --registro "$dir/record" >"$dir/out" 2>"$dir/err"
  for pair in "out:$want_out" "err:$want_err"; do
    file=$dir/${pair%%:*}
    want=${pair#*:}
    case $want in
      '') ;;
      !*) has "$file" "${want#!}" && fail "practicar $* <<< '$answers': '${want#!}' in $file" ;;
      *) has "$file" "$want" || fail "practicar $* <<< '$answers': no '$want' in $file" ;;
    esac
  done
}

# An integer reading: the two's complement value of the statement's string.
reading="--semilla 3 --tipos c2,interpretar -b 8"
bits=$(statement $reading | sed -n 's/^Interprete la cadena \([01]*\) .*/\1/p')
if [ ${#bits} -ne 8 ]; then
  fail "the reading round poses no 8-bit string: $(statement $reading)"
else
  v=$(natural "$bits")
  [ "$v" -ge 128 ] && v=$((v - 256))
  while IFS='|' read -r answer want; do
    practise "$answer\n" "$want" "" $reading
  done <<EOF
$v.0|Correcto
$v,00|Correcto
$v.|Correcto
$v.5|Incorrecto
$((v + 1)).0|Incorrecto
EOF
fi

# A representation in two's complement: a number is asked again, and does not count.
writing="--semilla 3 --tipos c2,representar -b 8"
value=$(statement $writing | sed -n 's/^Represente \(-\{0,1\}[0-9]*\) en complemento a dos.*/\1/p')
if [ -z "$value" ]; then
  fail "the writing round poses no integer: $(statement $writing)"
else
  key=$(binary $(((value + 256) % 256)) 8)
  while IFS='|' read -r answers want_out want_err; do
    rm -f "$dir/record"
    practise "$answers" "$want_out" "$want_err" $writing
  done <<EOF
$value\n$key\n|Total: 1 de 1|se pide la cadena de bits de 8 bits
-31\n$key\n|Total: 1 de 1|se pide la cadena de bits de 8 bits
5.375\n?\n|Total: 0 de 1 (1 sin responder)|se pide la cadena de bits de 8 bits
$key\n|Correcto|!se pide la cadena
0101\n|Tiene 4 bits; se piden 8|!se pide la cadena
EOF
  # The number typed first leaves no line in the record; the answer after it does.
  rm -f "$dir/record"
  practise "$value\n$key\n" "Correcto" "" $writing
  [ "$(wc -l <"$dir/record")" -eq 1 ] || fail "the record holds $(wc -l <"$dir/record") lines, expected 1"
  has "$dir/record" "\"respuesta_alumno\":\"$key\"" || fail "the record lacks the counted answer"
fi

# A representation in ieee32 of a whole number: its pattern, with the implicit bit written out.
single="--semilla 4 --tipos flotante,representar -f ieee32"
value=$(statement $single | sed -n 's/^Represente \([0-9][0-9]*\) en el formato ieee32.*/\1/p')
if [ -z "$value" ] || [ "$value" -eq 0 ]; then
  fail "the ieee32 round poses no whole number: $(statement $single)"
else
  digits=$(binary "$value" 32 | sed 's/^0*//')
  exponent=$(binary $((${#digits} - 1 + 127)) 8)
  fraction=${digits#1}$(repeat 0 $((23 - ${#digits} + 1)))
  while IFS='|' read -r answer want; do
    practise "$answer\n" "$want" "" $single
  done <<EOF
0${exponent}${fraction}|Correcto
0 $exponent 1$fraction|Ha escrito el bit implícito
0${exponent}${fraction}0|!bit implícito
1${exponent}1${fraction}|!bit implícito
$value|!Incorrecto
EOF
fi

# ---- Refusals that say what works -----------------------------------------------------------------
while IFS='|' read -r want args; do
  eval "set -- $args"
  "$bin" "$@" --utf8 </dev/null >"$dir/out" 2>"$dir/err"
  rc=$?
  [ "$rc" -eq 2 ] || fail "repbin $args: exit status $rc, expected 2"
  case $want in
    !*) has "$dir/err" "${want#!}" && fail "repbin $args: '${want#!}' in: $(cat "$dir/err")" ;;
    *) has "$dir/err" "$want" || fail "repbin $args: no '$want' in: $(cat "$dir/err")" ;;
  esac
done <<'EOF'
comillas: "0100 0000 1010 1100 0000 0000 0000 0000"|interpretar flotante 0100 0000 1010 1100 0000 0000 0000 0000
comillas: "1111 1011"|interpretar c2 1111 1011
comillas: "0011 1100 0000 0000"|interpretar flotante 0011 -f ieee16 1100 0000 0000
use "-"|interpretar c2 0101 siete
use "-"|representar c2 5 6
se lee con la opción --valor|representar flotante 1e-10
se lee con la opción --valor|representar flotante -2.5E3 -f ieee16
!--valor|representar flotante abc
!--valor|representar flotante 0x1e5
EOF

# ---- The round-to-nearest line where IEEE 754 rounds to infinity --------------------------------
# EXP MAN OPTIONS: an IEEE-shaped format. Its largest finite value is (2^(MAN+1) - 1) x 2^(bias -
# MAN), bias = 2^(EXP-1) - 1, one unit of the last place 2^(bias - MAN); halfway above it, ties to
# even round up (the largest value's last bit is 1), to infinity.
while read -r e m options; do
  bias=$(((1 << (e - 1)) - 1))
  ulp=$((1 << (bias - m)))
  largest=$((((1 << (m + 1)) - 1) * ulp))
  width=$((1 + e + m))
  infinity=0$(repeat 1 "$e")$(repeat 0 "$m")
  top=0$(repeat 1 $((e - 1)))0$(repeat 1 "$m")
  hexdigits=$(((width + 3) / 4))
  hex() { printf "0x%0${hexdigits}X" "$(natural "$1")"; }
  while read -r value want; do
    case $want in
      inf) line="desborda: +infinito $infinity $(hex "$infinity")" ;;
      -inf) line="desborda: -infinito 1${infinity#0} $(hex "1${infinity#0}")" ;;
      top) line="$top $(hex "$top")" ;;
    esac
    # shellcheck disable=SC2086
    "$bin" representar flotante "$value" $options --ampliado --utf8 >"$dir/out" 2>&1
    has "$dir/out" "Redondeo al más próximo (empates al par): $line" ||
      fail "representar flotante $value $options: no '$line' in: $(grep Redondeo "$dir/out")"
  done <<EOF
$((largest + ulp / 2)) inf
-$((largest + ulp / 2)) -inf
$((largest + ulp / 2 - 1)) top
$largest top
$((largest * 16)) inf
EOF
done <<'EOF'
5 10 -f ieee16
4 5 -b 10 --exp 4
5 6 -b 12 --exp 5
EOF
# A format without an IEEE reading keeps its own range.
"$bin" representar flotante 1000000 -b 16 --exp 5 --norma 0M --ampliado --utf8 >"$dir/out" 2>&1
has "$dir/out" "(empates al par): fuera del rango del formato" ||
  fail "0'M format: $(grep Redondeo "$dir/out")"
"$bin" representar flotante 65520 -f ieee16 --json >"$dir/out" 2>&1
has "$dir/out" '"redondeo":{"desborda":true,"cadena":"0111110000000000","hex":"0x7C00"' ||
  fail "65520 --json: $(cat "$dir/out")"

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
