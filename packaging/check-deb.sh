#!/bin/sh
# Checks a built package: its control fields (dpkg-deb -I) and that it carries exactly the
# files of files.txt below /usr (dpkg-deb -c).
#
#   check-deb.sh PACKAGE.deb VERSION
set -eu
deb=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ledsign-programmer ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = electronics ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
# Computed from the programs by dpkg-shlibdeps, so the Qt libraries and the C library appear.
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libzip4; do
    printf '%s' "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
description=$(field Description)
printf '%s\n' "$description" | head -n 1 | grep -q 'LED' || fail "Description summary: $description"
[ "$(printf '%s\n' "$description" | wc -l)" -gt 2 ] || fail "Description has no long text"
printf "%s" "$description" | grep -q ";" && fail "Description holds a CMake list separator: $description"
dpkg-deb -I "$deb" | grep -q ' Installed-Size: ' || fail "no Installed-Size"

grep -v '^#' "$here/files.txt" | sed 's|^|./usr/|' | sort >"$deb.want"
dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { print $NF }' | sort >"$deb.got"
if ! cmp -s "$deb.want" "$deb.got"; then
    fail "package files differ from files.txt (- missing, + unexpected):"
    diff "$deb.want" "$deb.got" | grep '^[<>]' | sed 's/^</-/; s/^>/+/' >&2 || true
fi
rm -f "$deb.want" "$deb.got"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): control fields and $(grep -vc '^#' "$here/files.txt") files checked"
