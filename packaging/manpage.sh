#!/bin/sh
# Writes a manual page from what a program prints for --help and --version, so the page
# always tells what the program does. For a program with subcommands (ledsign), every
# command listed under "Commands:" gets its own section from "PROGRAM COMMAND --help".
#
#   manpage.sh PROGRAM NAME "one-line summary" OUTPUT [subcommands]
set -eu

program=$1 name=$2 summary=$3 output=$4 mode=${5:-}

version=$("$program" --version | awk 'NR == 1 { print $NF }')
help=$("$program" --help)

# Help text to roff. Headings ("Options:") become sections (level SH) or bold lines (level SS,
# inside a command's section); "  -x, --opt <v>  text" and "  name  text" become tagged
# paragraphs, deeper-indented lines continue them.
to_roff() {
    awk -v name="$1" -v level="$2" '
    function esc(s) {
        gsub(/\\/, "\\e", s)
        sub(/^[.'"'"']/, "\\\\\\&&", s)
        return s
    }
    function opt(s) { s = esc(s); gsub(/-/, "\\-", s); return s }
    BEGIN { para = 0 }
    /^Usage: / {
        # The program as it was started (maybe a path), then its arguments.
        s = substr($0, 8)
        if (index(s, name " ") == 1) s = substr(s, length(name) + 2)
        else sub(/^[^ ]+ */, "", s)
        if (level == "SH") printf ".SH SYNOPSIS\n"
        printf ".B %s\n%s\n", opt(name), opt(s)
        if (level == "SH") printf ".SH DESCRIPTION\n"; else printf ".PP\n"
        next
    }
    /^$/ { para = 1; next }
    /^[A-Z][A-Za-z ]*:$/ {
        head = substr($0, 1, length($0) - 1)
        if (level == "SH") printf ".SH %s\n", toupper(head)
        else printf ".PP\n.I %s\n", head
        para = 0
        next
    }
    /^  [^ ]([^ ]| [^ ])*  +[^ ]/ {
        item = $0; sub(/^  /, "", item)
        text = item
        sub(/  +.*$/, "", item)
        sub(/^[^ ]([^ ]| [^ ])*  +/, "", text)
        printf ".TP\n.B %s\n%s\n", opt(item), esc(text)
        para = 0
        next
    }
    /^  [^ ]/ { sub(/^  /, ""); printf ".TP\n.B %s\n", opt($0); para = 0; next }
    /^    / { sub(/^ +/, ""); print esc($0); next }
    {
        if (para) printf ".PP\n"
        para = 0
        print esc($0)
    }'
}

{
    printf '.TH %s 1 "" "%s %s" "User Commands"\n' "$(echo "$name" | tr a-z A-Z)" "$name" "$version"
    printf '.SH NAME\n%s \\- %s\n' "$(echo "$name" | sed 's/-/\\-/g')" "$summary"
    printf '%s\n' "$help" | to_roff "$name" SH
    if [ "$mode" = subcommands ]; then
        commands=$(printf '%s\n' "$help" | awk '
            /^Commands:$/ { on = 1; next }
            on && /^$/ { on = 0 }
            on && /^  [^ ]/ { print $1 }')
        printf '.SH COMMAND DETAILS\n'
        for c in $commands; do
            printf '.SS %s %s\n' "$name" "$c"
            "$program" "$c" --help | to_roff "$name $c" SS
        done
    fi
    printf '.SH VERSION\n%s %s\n' "$name" "$version"
} > "$output.tmp"
mv "$output.tmp" "$output"
