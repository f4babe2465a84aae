#!/bin/sh
# Installs the build into a scratch folder and checks what landed there: exactly the files
# of files.txt, a valid menu entry, programs that name their version, and manual pages that
# name every command and option the programs' --help lists.
#
#   check-install.sh CMAKE BUILD_DIR SCRATCH_DIR VERSION
set -eu
cmake=$1 build=$2 dest=$3 version=$4
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$dest"
DESTDIR="$dest" "$cmake" --install "$build" --prefix /usr >/dev/null

grep -v '^#' "$here/files.txt" | sort >"$dest.want"
(cd "$dest/usr" && find . -type f | sed 's|^\./||' | sort) >"$dest.got"
if ! cmp -s "$dest.want" "$dest.got"; then
    fail "installed files differ from files.txt (- missing, + unexpected):"
    diff "$dest.want" "$dest.got" | grep '^[<>]' | sed 's/^</-/; s/^>/+/' >&2 || true
fi

desktop=$dest/usr/share/applications/ledsign-programmer.desktop
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the menu entry"
fi
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$dest/usr/bin/${exec_line%% *}" ] || fail "menu entry starts '$exec_line', not an installed program"
grep -q '^Categories=.*Utility;.*Electronics;' "$desktop" || fail "menu entry categories"

# Options of one help text: every --long name under "Options:".
options() { awk '/^Options:$/ { on = 1; next } on && /^$/ { on = 0 } on' | grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }
# Prints the options read on stdin that the man page lacks (it spells them \-\-name).
missing_options() {
    text=$(zcat "$1")
    while read -r o; do
        roff=$(printf '%s' "$o" | sed 's/-/\\-/g')
        printf '%s\n' "$text" | grep -qF -- "$roff" || printf ' %s' "$o"
    done
}

for p in ledsign ledsign-programmer ledsign-sim; do
    bin=$dest/usr/bin/$p
    page=$dest/usr/share/man/man1/$p.1.gz
    got=$("$bin" --version | head -n 1)
    [ "$got" = "$p $version" ] || fail "$p --version prints '$got'"
    [ -s "$page" ] && zcat "$page" | grep -q '^\.TH ' || { fail "$p.1.gz is no manual page"; continue; }
    missing=$("$bin" --help | options | missing_options "$page")
    [ -z "$missing" ] || fail "$p.1 lacks$missing"
done

cli=$dest/usr/bin/ledsign
page=$dest/usr/share/man/man1/ledsign.1.gz
for c in $("$cli" --help | awk '/^Commands:$/ { on = 1; next } on && /^$/ { on = 0 } on { print $1 }'); do
    zcat "$page" | grep -q "^\.SS ledsign $c\$" || fail "ledsign.1 has no section for '$c'"
    missing=$("$cli" "$c" --help | options | missing_options "$page")
    [ -z "$missing" ] || fail "ledsign.1 lacks$missing of '$c'"
done

# As a person reads it: every key of 'ledsign set' stands alone as its entry's tag, none
# runs into its description.
if command -v man >/dev/null; then
    shown=$(MANWIDTH=80 man -l "$page" 2>/dev/null | sed 's/^ *//; s/ *$//')
    for key in $("$cli" set --help | awk '/^Keys/ { on = 1; next } on && /^$/ { on = 0 } on && /^  [^ ]/ { print $1 }'); do
        printf '%s\n' "$shown" | grep -qxF -- "$key" || fail "ledsign.1 runs '$key' into its text"
    done
fi

rm -f "$dest.want" "$dest.got"
[ "$failures" -eq 0 ] || exit 1
echo "install into $dest: $(grep -vc '^#' "$here/files.txt") files checked"
