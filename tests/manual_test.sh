#!/bin/sh
# Checks the manual page: it renders without warnings, its Spanish section headings come out
# right in UTF-8, and it names every command and option that the program's --help names (and
# each command's own --help, for the commands that have one).
# Usage: manual_test.sh path/to/repbin path/to/repbin.1
set -u
bin=$1
page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export LC_ALL=C

groff -ww -man -z "$page" 2>"$work/warnings"
[ -s "$work/warnings" ] && { fail "groff warns:"; cat "$work/warnings"; }

# Accents are groff escapes, so the page reads the same with or without preconv.
grep -n '[^ -~]' "$page" >"$work/raw" && { fail "bytes outside printable ASCII:"; cat "$work/raw"; }

groff -man -Tutf8 -P-cbou "$page" >"$work/utf8" 2>/dev/null
for heading in NOMBRE SINOPSIS DESCRIPCIÓN MENÚS ÓRDENES OPCIONES EJEMPLOS \
  "ESTADO DE SALIDA" CODIFICACIÓN; do
  grep -qx "$heading" "$work/utf8" || fail "no section heading '$heading' in the UTF-8 rendering"
done

# Commands: the word after "repbin" on the usage lines. Options: words starting with - or --
# and a letter (so "-5" in an example is not one).
names() {  # names HELP_FILE: prints the commands and options it names, one a line
  sed -n 's/^ *\(Uso: *\)\{0,1\}repbin \([a-z][a-z-]*\).*/\2/p' "$1"
  grep -oE -- '(^|[^[:alnum:]-])--?[a-z][a-z0-9-]*' "$1" | sed 's/^[^-]*//'
}
groff -man -Tascii -P-cbou "$page" >"$work/ascii" 2>/dev/null
"$bin" --help >"$work/help" 2>&1 || fail "repbin --help: exit status $?"
names "$work/help" | sort -u >"$work/names"
for command in $(sed -n '/^[a-z]/p' "$work/names"); do
  "$bin" "$command" --help >"$work/help_$command" 2>&1 && names "$work/help_$command"
done >"$work/command_names"
[ -s "$work/names" ] || fail "no command or option found in repbin --help"
for name in $(sort -u "$work/names" "$work/command_names"); do
  grep -qE -- "(^|[^[:alnum:]-])$name([^[:alnum:]-]|\$)" "$work/ascii" ||
    fail "'$name' is in --help but not in the manual page"
done

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
