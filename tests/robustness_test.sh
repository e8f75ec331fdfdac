#!/bin/sh
# What the program does with hostile streams and input, through the built program: a full disk,
# a directory as standard input, a reader that leaves, very long batch lines, NUL bytes, options
# before a command. Each case checks the exit status, the whole standard error and the whole
# standard output, so a case that also changes something else fails.
# Usage: robustness_test.sh path/to/repbin
set -u
bin=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# check NAME STATUS: compares the last run ($rc, $dir/out, $dir/err) with the expected status
# and the files $dir/want_out and $dir/want_err.
check() {
  [ "$rc" -eq "$2" ] || fail "$1: exit status $rc, expected $2"
  cmp -s "$dir/want_err" "$dir/err" || { fail "$1: standard error"; diff -a "$dir/want_err" "$dir/err" | head -5; }
  cmp -s "$dir/want_out" "$dir/out" || { fail "$1: standard output"; diff -a "$dir/want_out" "$dir/out" | head -5; }
}
# A long or refused line must leave the other lines as they are alone.
json7=$(printf '7\n' | "$bin" representar c2 - -b 8 --json)
json5=$(printf '5\n' | "$bin" representar c2 - -b 8 --json)

# Batch lines: NAME, STATUS, the input (printf format), the expected output, the message.
while IFS='|' read -r name want input out message; do
  printf "$input" | "$bin" representar c2 - -b 8 --json --utf8 >"$dir/out" 2>"$dir/err"
  rc=$?
  printf "$out" >"$dir/want_out"
  printf "$message" >"$dir/want_err"
  check "$name" "$want"
done <<EOF
5,000 blanks then 7|0|%5000s7\n|$json7\n|
100,000 blanks then 7, refused whole|2|%100000s7\n5\n|$json5\n|repbin: la línea tiene 100001 caracteres; una línea puede tener como mucho 65536\n
12, 4,094 blanks and 34, refused whole|2|12%4094s34\n||repbin: valor no válido: "12%4094s34"; escriba un número entero entre -2147483648 y 2147483647\n
NUL inside a number|2|5\\0999\n7\n|$json7\n|repbin: valor no válido: "5\\\\0999"; un valor no puede contener el carácter nulo (\\\\0)\n
NUL after a number, CRLF line|2|5\\0\r\n||repbin: valor no válido: "5\\\\0"; un valor no puede contener el carácter nulo (\\\\0)\n
EOF

# The same length reported by interpretar: 5,000 bits are 5,000 characters, not 4,096.
printf '%5000s\n' '' | tr ' ' 1 | "$bin" interpretar c2 - --utf8 >"$dir/out" 2>"$dir/err"
rc=$?
: >"$dir/want_out"
printf 'repbin: la cadena tiene 5000 caracteres; en c2 debe tener entre 1 y 64\n' >"$dir/want_err"
check "5,000 bits" 2

# A NUL inside the dialogue's bit string is refused and asked again; the width stays 8, so the
# results are those of the same answers without it.
printf '2 3 8 \0001111111\n11111011\n1 3 -5 0' | "$bin" --utf8 >"$dir/out" 2>"$dir/err"
rc=$?
printf '2 3 8 11111011\n1 3 -5 0' | "$bin" --utf8 >"$dir/want_out" 2>/dev/null
[ "$rc" -eq 0 ] || fail "dialogue NUL: exit status $rc"
[ "$(grep -c 'El texto contiene un carácter nulo; escríbalo sin él.' "$dir/err")" -eq 1 ] ||
  fail "dialogue NUL: no message"
cmp -s "$dir/want_out" "$dir/out" || fail "dialogue NUL: standard output"

# An option before the command applies as if written after it, whatever follows.
"$bin" representar flotante --ampliado -- 5.375 >"$dir/want_out" 2>"$dir/want_err"
"$bin" --ampliado representar flotante -- 5.375 >"$dir/out" 2>"$dir/err"
rc=$?
check "--ampliado before the command" 0

# A reader that leaves the pipe early: no message.
printf '%s\n' $(seq 1 20000) | "$bin" representar c2 - 2>"$dir/err" | head -c 10 >/dev/null
[ -s "$dir/err" ] && fail "a closed pipe gave a message: $(head -c 200 "$dir/err")"

# Streams that fail: a full disk, a directory as standard input. Each case: NAME, STATUS, the
# redirections, the program's arguments; the message ends standard error.
full="repbin: no se pudo escribir en la salida estándar: no queda espacio en el dispositivo"
isdir="repbin: no se pudo leer la entrada estándar: es un directorio"
mkdir "$dir/folder"
# Under an emulator (Wine, for the Windows build) the system may word a failure its own way: the
# stream that failed is checked there, and the reason too on the native system.
case $bin in *launcher*) native=no ;; *) native=yes ;; esac
while IFS='|' read -r name want redirect message args; do
  [ -e /dev/full ] || case $redirect in *full*) continue ;; esac
  printf '1\n2\nocho\n' >"$dir/in"
  eval "\"\$bin\" $args $redirect 2>\"\$dir/err\""
  rc=$?
  [ "$rc" -eq "$want" ] || fail "$name: exit status $rc, expected $want"
  last=$(tail -n 1 "$dir/err")
  [ "$native" = yes ] || { last=${last%: *}; message=${message%: *}; }
  [ "$last" = "$message" ] || fail "$name: last message $last"
  case $name in
    # A batch stops at its first failed write: the refused third line is never read.
    batch\ on*) [ "$(wc -l <"$dir/err")" -eq 1 ] || fail "$name: went on after the failed write" ;;
  esac
done <<EOF
sheet on a full disk|1|>/dev/full <"\$dir/in"|$full|ejercicios -n 40 --salida gift --utf8
batch on a full disk|1|>/dev/full <"\$dir/in"|$full|representar c2 - --json --utf8
help on a full disk|1|>/dev/full <"\$dir/in"|$full|--utf8 --help
dialogue on a full disk|1|>/dev/full <"\$dir/in"|$full|--utf8
batch from a directory|1|>"\$dir/out" <"\$dir/folder"|$isdir|representar c2 - --utf8
dialogue from a directory|1|>"\$dir/out" <"\$dir/folder"|$isdir|--utf8
EOF

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
