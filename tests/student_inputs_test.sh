#!/bin/sh
# What a student types in the first hour, through the built program: the excess used without -z,
# practice answers of another form, refusals that point to what works, and the round-to-nearest
# line where IEEE 754 overflows. Expectations come from shell integer arithmetic.
# Usage: student_inputs_test.sh path/to/repbin
set -u
bin=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
has() { grep -qF -- "$2" "$1"; }  # has FILE TEXT
# check FILE WANT WHAT: FILE holds WANT, or lacks it when WANT starts with '!'.
check() {
  case $2 in
    !*) ! has "$1" "${2#!}" || fail "$3: '${2#!}' in $(cat "$1")" ;;
    *) has "$1" "$2" || fail "$3: no '$2' in $(cat "$1")" ;;
  esac
}
natural() {  # natural BITS
  v=0 s=$1
  while [ -n "$s" ]; do v=$((v * 2 + ${s%"${s#?}"})) s=${s#?}; done
  echo "$v"
}
binary() {  # binary VALUE WIDTH
  out= v=$1 i=0
  while [ "$i" -lt "$2" ]; do out=$((v % 2))$out v=$((v / 2)) i=$((i + 1)); done
  echo "$out"
}
repeat() { binary 0 "$2" | tr 0 "$1"; }  # repeat CHAR N

# The excess without -z: 2^(n-1) - 1 for n bits, at most 2^31 - 1.
for bits in 0000 1000 10000000 1111111111111111 0000000000000000000000000000000000000001; do
  n=${#bits}
  [ "$n" -gt 32 ] && n=32
  z=$(((1 << (n - 1)) - 1))
  "$bin" interpretar exceso "$bits" --json >"$dir/out" 2>&1
  check "$dir/out" "\"valor\":$(($(natural "$bits") - z)),\"exceso\":$z," "interpretar exceso $bits"
done
"$bin" representar exceso -5 -b 4 >"$dir/out" 2>&1
check "$dir/out" "El dato representado es: $(binary $((-5 + 7)) 4) " "representar exceso -5 -b 4"

# practise ANSWERS WANT OPTIONS...: a round of one exercise; its output and questions hold WANT.
practise() {
  answers=$1 want=$2
  shift 2
  printf '%b' "$answers" | "$bin" practicar -n 1 "$@" --utf8 >"$dir/out" 2>&1
  check "$dir/out" "$want" "practicar $* <<< '$answers'"
}
statement() { "$bin" practicar -n 1 "$@" --utf8 </dev/null 2>&1 >/dev/null; }

# An integer reading: the statement's string in two's complement.
reading="--semilla 3 --tipos c2,interpretar -b 8"
v=$(natural "$(statement $reading | sed -n 's/.*Interprete la cadena \([01]\{8\}\) .*/\1/p')")
[ "$v" -ge 128 ] && v=$((v - 256))
for row in "$v.0|Correcto" "$v,00|Correcto" "$v.5|Incorrecto"; do
  practise "${row%|*}\n" "${row#*|}" $reading
done
# A writing in two's complement: a number is said and asked again, and does not count.
writing="--semilla 3 --tipos c2,representar -b 8"
v=$(statement $writing | sed -n 's/.*Represente \(-\{0,1\}[0-9]*\) en complemento a dos.*/\1/p')
key=$(binary $(((v + 256) % 256)) 8)
for row in "$v\n$key\n|Total: 1 de 1" "-31\n?\n|se pide la cadena de bits de 8 bits" \
  "$key\n|!se pide la cadena"; do
  practise "${row%|*}" "${row#*|}" $writing
done
# A whole number in ieee32, with the implicit bit written out.
single="--semilla 4 --tipos flotante,representar -f ieee32"
v=$(statement $single | sed -n 's/.*Represente \([0-9]*\) en el formato ieee32.*/\1/p')
digits=$(binary "${v:-0}" 32 | sed 's/^0*//')
[ -n "$digits" ] || fail "the ieee32 round poses no whole number"
exponent=$(binary $((${#digits} - 1 + 127)) 8)
fraction=${digits#1}$(repeat 0 $((24 - ${#digits})))
for row in "0$exponent$fraction|Correcto" "0 $exponent 1$fraction|Ha escrito el bit implícito" \
  "0$exponent${fraction}0|!Ha escrito el bit"; do
  practise "${row%|*}\n" "${row#*|}" $single
done

# Refusals that say what works (status 2).
while IFS='|' read -r want args; do
  eval "set -- $args"
  "$bin" "$@" --utf8 </dev/null >/dev/null 2>"$dir/err"
  [ $? -eq 2 ] || fail "repbin $args: exit status not 2"
  check "$dir/err" "$want" "repbin $args"
done <<'EOF'
comillas: "0100 0000 1010 1100 0000 0000 0000 0000"|interpretar flotante 0100 0000 1010 1100 0000 0000 0000 0000
comillas: "0011 1100 0000 0000"|interpretar flotante 0011 -f ieee16 1100 0000 0000
use "-"|representar c2 5 6
se lee con la opción --valor|representar flotante 1e-10
!--valor|representar flotante 0x1e5
EOF

# IEEE-shaped formats (EXP MAN OPTIONS): the largest finite value is (2^(MAN+1) - 1) units of
# 2^(bias - MAN); half a unit above it, ties to even go up, to infinity.
while read -r e m options; do
  unit=$((1 << ((1 << (e - 1)) - 1 - m)))
  largest=$((((1 << (m + 1)) - 1) * unit))
  infinity=$(repeat 1 "$e")$(repeat 0 "$m")
  top=$(repeat 1 $((e - 1)))0$(repeat 1 "$m")
  hex() { printf "0x%0$(((e + m + 4) / 4))X" "$(natural "$1")"; }
  for row in "$((largest + unit / 2))|desborda: +infinito 0$infinity $(hex "0$infinity")" \
    "-$((largest + unit / 2))|desborda: -infinito 1$infinity $(hex "1$infinity")" \
    "$((largest + unit / 2 - 1))|(empates al par): 0$top $(hex "0$top")"; do
    "$bin" representar flotante "${row%|*}" $options --ampliado --utf8 >"$dir/out" 2>&1
    check "$dir/out" "${row#*|}" "representar flotante ${row%|*} $options"
  done
done <<'EOF'
5 10 -f ieee16
4 5 -b 10 --exp 4
EOF

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
