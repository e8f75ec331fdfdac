#!/bin/sh
# Practice rounds and their record files under hostile input, through the built program: an
# answer line too long to keep, a NUL in an answer, a record file left in mid-line or that
# cannot be written, and sheet titles that would break a line. Each case checks the exit status,
# the messages and what the record file holds.
# Usage: practice_records_test.sh path/to/repbin
set -u
bin=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# has NAME FILE TEXT: FILE holds TEXT (fixed string); lacks: it does not.
has() { grep -qF -- "$3" "$2" || { fail "$1: no «$3» in $(basename "$2")"; head -c 300 "$2"; }; }
lacks() { ! grep -qF -- "$3" "$2" || fail "$1: «$3» in $(basename "$2")"; }
case $bin in *launcher*) native=no ;; *) native=yes ;; esac

# Exercise 1 of seed 7 with these options asks for -20 in two's complement with 8 bits.
round="practicar -n 1 --semilla 7 --tipos c2,exceso -b 8 --utf8 --registro $dir/r.jsonl"
limit=65536
long=$((3 + 70000 + 6))  # "-20", 70,000 blanks, "basura"

# Answers: NAME, STATUS, the input (printf format), then '~'-separated texts that standard
# output, standard error and the record must hold, and one standard error must not.
while IFS='|' read -r name want input out err record not_err; do
  rm -f "$dir/r.jsonl"
  printf -- "$input" | "$bin" $round >"$dir/out" 2>"$dir/err"
  rc=$?
  [ "$rc" -eq "$want" ] || fail "$name: exit status $rc, expected $want"
  for file in out err r.jsonl; do
    case $file in out) list=$out ;; err) list=$err ;; *) list=$record ;; esac
    rest=$list
    while [ -n "$rest" ]; do
      item=${rest%%~*}
      has "$name" "$dir/$file" "$item"
      [ "$item" = "$rest" ] && rest= || rest=${rest#*~}
    done
  done
  [ -z "$not_err" ] || lacks "$name" "$dir/err" "$not_err"
  [ "$(wc -l <"$dir/r.jsonl")" -eq 1 ] || fail "$name: the record is not one line"
done <<CASES
the right answer|0|-20\n|Correcto~Total: 1 de 1|Ejercicio 1 de 1|"respuesta_alumno":"-20"~"correcta":true|
60,000 blanks after it, trimmed|0|-20%60000s\n|Correcto|Ejercicio 1 de 1|"respuesta_alumno":"-20"~"correcta":true|la línea tiene
70,000 blanks and more, refused whole|0|-20%70000sbasura\n|Ejercicio 1: (sin respuesta)~Sin responder.~Total: 0 de 1 (1 sin responder)|la línea tiene $long caracteres; una respuesta puede tener como mucho $limit|"respuesta_alumno":""~"respuesta_alumno_recortada":true~"longitud_respuesta_alumno":$long~"correcta":false|Correcto
a NUL inside the answer|0|-2\\0x\n|Ejercicio 1: -2\\0x~Incorrecto. ~«-2\\0x»|Ejercicio 1 de 1|"respuesta_alumno":"-2\\u0000x"~"correcta":false|
CASES

# A record file left in mid-line by a round cut short: the next round starts a line of its own;
# one that ends a line, or is empty, gets no empty line.
while IFS='|' read -r name before lines; do
  printf -- "$before" >"$dir/before"
  cp "$dir/before" "$dir/r.jsonl"
  printf '?\n-20\n' | "$bin" practicar -n 2 --semilla 7 --registro "$dir/r.jsonl" >/dev/null 2>&1
  rc=$?
  [ "$rc" -eq 0 ] || fail "$name: exit status $rc"
  [ "$(wc -l <"$dir/r.jsonl")" -eq "$lines" ] || fail "$name: $(wc -l <"$dir/r.jsonl") lines"
  head -c "$(wc -c <"$dir/before")" "$dir/r.jsonl" | cmp -s - "$dir/before" ||
    fail "$name: the earlier bytes changed"
  [ "$(grep -c '^{"alumno":null,"ronda":"[0-9TZ]*-[0-9a-f]*","ejercicio":[12],' "$dir/r.jsonl")" -eq 2 ] || fail "$name: records not whole"
  grep -q '^$' "$dir/r.jsonl" && fail "$name: an empty line"
done <<CASES
half a line|{"ejercicio":3,"tipo":"repr|3
a whole line|{"ejercicio":9}\n|3
an empty file||2
CASES

# A record that cannot be written stops the round at its first exercise.
if [ -w /dev/full ] && [ "$native" = yes ]; then
  printf '?\n?\n?\n' | "$bin" practicar -n 3 --semilla 1 --registro /dev/full >"$dir/out" 2>"$dir/err"
  rc=$?
  [ "$rc" -eq 1 ] || fail "/dev/full: exit status $rc, expected 1"
  has "/dev/full" "$dir/err" 'no se pudo escribir el registro en "/dev/full"; la ronda se detiene en el ejercicio 1.'
  lacks "/dev/full" "$dir/err" "Ejercicio 2 de 3"
  lacks "/dev/full" "$dir/out" "Resumen de la ronda"
fi

# A round too long to count before it starts, whose options allow fewer exercises: it says so
# when they run out, after as many as the sheet of the same options has.
narrow="-n 5000 --semilla 5 --tipos natural -b 2 --utf8"
allowed=$("$bin" ejercicios $narrow --salida json 2>/dev/null | wc -l)
yes '?' | head -n 100 | "$bin" practicar $narrow >"$dir/out" 2>"$dir/err"
rc=$?
[ "$rc" -eq 0 ] || fail "narrow round: exit status $rc"
has "narrow round" "$dir/err" "solo hay $allowed ejercicios distintos; la ronda termina con ellos."
has "narrow round" "$dir/out" "Total: 0 de $allowed ($allowed sin responder)"

# Sheet titles: NAME, the title (printf format), the status, how a refusal shows it. A Windows
# program gets its arguments in the system's code page, not as these bytes: native runs only.
accepts="--titulo espera un texto de una línea de 1 a 80 caracteres en UTF-8, sin caracteres de control, no"
while IFS='|' read -r name title want shown; do
  [ "$native" = yes ] || continue
  "$bin" ejercicios -n 1 --semilla 1 --salida html --utf8 --titulo "$(printf "$title")" \
    >"$dir/out" 2>"$dir/err"
  rc=$?
  [ "$rc" -eq "$want" ] || fail "title $name: exit status $rc, expected $want"
  if [ "$want" -eq 2 ]; then
    has "title $name" "$dir/err" "$accepts «$shown»"
  else
    has "title $name" "$dir/out" "$(printf "$title")"
  fi
done <<CASES
plain with accents|Examen de ñandú|0|
eighty two-byte characters|$(printf '%080d' 0 | sed 's/0/é/g')|0|
invalid byte|A\\377B|2|A\\xFFB
a tab|A\\tB|2|A\\u{0009}B
DEL|A\\177B|2|A\\u{007F}B
next line U+0085|A\\302\\205B|2|A\\u{0085}B
line separator U+2028|A\\342\\200\\250B|2|A\\u{2028}B
paragraph separator U+2029|A\\342\\200\\251B|2|A\\u{2029}B
overlong slash|A\\300\\257B|2|A\\xC0\\xAFB
surrogate|A\\355\\240\\200B|2|A\\xED\\xA0\\x80B
cut sequence at the end|A\\303|2|A\\xC3
CASES

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
