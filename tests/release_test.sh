#!/bin/sh
# Checks a release folder as a student would receive it: the checksums; the Debian package
# (lintian, its control fields and files, the packed program and manual page); the web zip's page
# in a headless Chromium; the Windows zip's program under Wine. The version is the package's,
# and every part must carry it.
# Usage: release_test.sh RELEASE_DIR   (from the source folder; needs lintian, man, unzip,
# wine, and npm ci done in web/tests)
set -u
dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export LC_ALL=C.UTF-8

(cd "$dir" && sha256sum -c SHA256SUMS) || fail "SHA256SUMS does not match"
deb=$dir/$(sed -n 's/^[0-9a-f]* *\(repbin_.*\.deb\)$/\1/p' "$dir/SHA256SUMS")
version=$(dpkg-deb -f "$deb" Version) || { echo "FAIL: no package in SHA256SUMS"; exit 1; }
echo "version $version"
for name in "repbin_${version}_amd64.deb" "repbin-$version-web.zip" \
  "repbin-$version-windows-x86_64.zip"; do
  grep -q "  $name\$" "$dir/SHA256SUMS" || fail "$name is not in SHA256SUMS"
done

# ---- the Debian package
lintian --fail-on error,warning --display-info "$deb" || fail "lintian"
for field in Maintainer Homepage Description; do
  [ -n "$(dpkg-deb -f "$deb" $field)" ] || fail "no $field field"
done
[ "$(dpkg-deb -f "$deb" Section)" = education ] || fail "section is not education"
# The program is static: nothing to depend on.
[ -z "$(dpkg-deb -f "$deb" Depends)" ] || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $2, $6 }' >"$work/files"
cat >"$work/want_files" <<'EOF'
root/root ./usr/bin/repbin
root/root ./usr/share/doc/repbin/README.md
root/root ./usr/share/doc/repbin/changelog.gz
root/root ./usr/share/doc/repbin/copyright
root/root ./usr/share/lintian/overrides/repbin
root/root ./usr/share/man/man1/repbin.1.gz
EOF
diff -u "$work/want_files" "$work/files" || fail "the package's files differ"

dpkg-deb -x "$deb" "$work/root"
bin=$work/root/usr/bin/repbin
[ "$("$bin" --version)" = "repbin $version" ] || fail "--version: $("$bin" --version)"
"$bin" representar c2 -5 -b 8 --cp850 >"$work/c2" 2>&1 &&
  grep -q 'El dato representado es: 11111011' "$work/c2" || fail "representar c2 -5 -b 8:" "$(cat "$work/c2")"
zcat "$work/root/usr/share/doc/repbin/changelog.gz" | head -1 | grep -q "^repbin ($version) " ||
  fail "the changelog's latest entry is not $version (add one to doc/changelog)"
MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man1/repbin.1.gz" >"$work/man" 2>"$work/man_err"
[ -s "$work/man_err" ] && fail "man -l warns: $(cat "$work/man_err")"
grep -q '^ *repbin - enseña' "$work/man" || fail "man -l: no NOMBRE line"
tail -1 "$work/man" | grep -q "repbin $version" || fail "man -l: the footer has not repbin $version"

# ---- the web page
unzip -q "$dir/repbin-$version-web.zip" -d "$work/web" || fail "the web zip does not unzip"
site=$work/web/repbin-$version-web
if [ -f "$site/index.html" ]; then
  REPBIN_LOAD_ONLY=1 REPBIN_SITE=$site REPBIN_NATIVE=$bin node web/tests/browser_test.js ||
    fail "the unzipped page"
else
  fail "no repbin-$version-web/index.html in the web zip"
fi

# ---- Windows, under Wine in a throwaway prefix
unzip -q "$dir/repbin-$version-windows-x86_64.zip" -d "$work/windows" || fail "the Windows zip does not unzip"
[ "$(ls "$work/windows")" = "$(printf 'LEEME.txt\nrepbin.exe')" ] || fail "Windows zip: $(ls "$work/windows")"
grep -q "$(printf '\r')\$" "$work/windows/LEEME.txt" || fail "LEEME.txt has no Windows line ends"
export WINEPREFIX="$work/wine" WINEDEBUG=-all
wineboot -i >/dev/null 2>&1
wine=cmake/wine.sh
[ "$(sh $wine "$work/windows/repbin.exe" --version)" = "repbin $version" ] ||
  fail "repbin.exe --version under Wine"
# Both in code page 850: the Linux program writes UTF-8 where the locale speaks it.
sh $wine "$work/windows/repbin.exe" representar c2 -5 -b 8 --cp850 >"$work/c2.exe" 2>&1
cmp -s "$work/c2" "$work/c2.exe" || fail "repbin.exe representar c2 -5 -b 8 differs from Linux"
wineserver -k 2>/dev/null

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
