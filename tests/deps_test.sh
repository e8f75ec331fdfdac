#!/bin/sh
# Checks the decisions of scripts/deps with fake dpkg-query, apt-get, sudo and id first on PATH:
# which packages it installs, how it becomes root, and what it says when it cannot.
# Usage: deps_test.sh path/to/scripts/deps
set -u
deps=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every package counts as installed except those in FAKE_MISSING (unknown to dpkg) and
# FAKE_REMOVED (removed, its configuration files left); one installed package provides the
# virtual packages in FAKE_PROVIDES. Each fake writes its call to $log.
log=$work/log
mkdir "$work/bin"
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/sh
for p; do :; done
case $p in -f*) echo "install ok installed|$FAKE_PROVIDES"; exit 0 ;; esac  # every package
case " $FAKE_MISSING " in *" $p "*) echo "dpkg-query: no packages found matching $p" >&2; exit 1 ;; esac
case " $FAKE_REMOVED " in *" $p "*) printf 'deinstall ok config-files'; exit 0 ;; esac
printf 'install ok installed'
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get $* ($DEBIAN_FRONTEND)" >>"$FAKE_LOG"
exit "$FAKE_APT_STATUS"
EOF
cat >"$work/bin/sudo" <<'EOF'
#!/bin/sh
echo "sudo" >>"$FAKE_LOG"
exec "$@"
EOF
cat >"$work/bin/id" <<'EOF'
#!/bin/sh
echo "$FAKE_UID"
EOF
ln -s "$(command -v env)" "$work/bin/env"
chmod +x "$work/bin/"*

# check NAME UID SUDO(yes|no) MISSING REMOVED APT_STATUS WANT_STATUS WANT_LOG WANT_TEXT PURPOSE...
# runs the script and compares its exit status, the fakes' calls (one per line, '|' between
# lines) and a text its output must contain.
check() {
  name=$1 uid=$2 sudo=$3 missing=$4 removed=$5 apt_status=$6 want_status=$7 want_log=$8
  want_text=$9
  shift 9
  if [ "$sudo" = yes ]; then chmod +x "$work/bin/sudo"; else chmod -x "$work/bin/sudo"; fi
  : >"$log"
  PATH=$work/bin FAKE_PROVIDES="nodejs-legacy (= 20), npm, nodejs-doc" FAKE_LOG=$log FAKE_UID=$uid FAKE_MISSING=$missing FAKE_REMOVED=$removed \
    FAKE_APT_STATUS=$apt_status /bin/sh "$deps" "$@" >"$work/said" 2>&1
  status=$?
  calls=$(paste -sd '|' "$log")
  [ "$status" -eq "$want_status" ] || fail "$name: exit status $status, expected $want_status"
  [ "$calls" = "$want_log" ] || fail "$name: calls [$calls], expected [$want_log]"
  grep -qF -- "$want_text" "$work/said" || { fail "$name: no '$want_text' in:"; cat "$work/said"; }
}

update='apt-get update (noninteractive)'
check "all present" 1000 yes "" "" 0 0 "" "ya está todo instalado para: run test" run test
check "one missing, root" 0 yes "g++" "" 0 0 "$update|apt-get install -y g++ (noninteractive)" \
  "se instalan: g++" run
check "one missing, through sudo" 1000 yes "libgtest-dev" "" 0 0 \
  "sudo|$update|sudo|apt-get install -y libgtest-dev (noninteractive)" \
  "se instalan: libgtest-dev" run test
check "removed counts as missing" 0 no "" "cmake" 0 0 \
  "$update|apt-get install -y cmake (noninteractive)" "se instalan: cmake" run
check "shared package listed once" 0 no "cmake libgtest-dev" "" 0 0 \
  "$update|apt-get install -y cmake libgtest-dev (noninteractive)" \
  "se instalan: cmake libgtest-dev" test windows
check "only the purpose's packages" 0 no "libbenchmark-dev clang" "" 0 0 \
  "$update|apt-get install -y clang (noninteractive)" "se instalan: clang" fuzz
check "provided by an installed package" 0 yes "npm" "" 0 0 "" "ya está todo instalado" web
check "a longer provided name is not the package" 0 yes "nodejs" "" 0 0 \
  "$update|apt-get install -y nodejs (noninteractive)" "se instalan: nodejs" web
check "no root, no sudo" 1000 no "g++ ninja-build" "" 0 1 "" \
  "  apt-get update && apt-get install -y ninja-build g++" run
check "install fails" 0 no "g++" "" 100 100 "$update" "se instalan: g++" run
check "unknown purpose" 0 yes "g++" "" 0 2 "" "propósito desconocido: jugar" run jugar
check "no purpose" 0 yes "" "" 0 2 "" "Uso: sh scripts/deps" 

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
