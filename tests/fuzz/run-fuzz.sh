#!/bin/sh
# Runs each fuzz target for FUZZ_SECONDS on its corpus, then merges what it found into the
# committed corpus: libFuzzer keeps the smallest set of inputs that covers everything the old
# corpus and the new finds cover. Inputs named crash-* (regressions of fixed crashes) are
# always kept. Prints executions per target; exits 1 when a target crashed (the input is in
# BUILD/fuzz-crashes/).
#
#   run-fuzz.sh BUILD_DIR TARGET...
set -u
build=$1
shift
seconds=${FUZZ_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
crashed=""
summary=""

for t in "$@"; do
    bin=$build/fuzz/fuzz_$t
    corpus=$here/corpus/$t
    work=$build/fuzz-work/$t
    merged=$build/fuzz-merged/$t
    log=$build/fuzz-$t.log
    mkdir -p "$work" "$build/fuzz-crashes"
    set --
    [ -f "$here/$t.options" ] && set -- $(cat "$here/$t.options")
    [ -f "$here/$t.dict" ] && set -- "$@" "-dict=$here/$t.dict"

    echo "== fuzz_$t: $seconds s"
    "$bin" "$@" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-crashes/$t-" "$work" "$corpus" >"$log" 2>&1
    rc=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ $rc -ne 0 ]; then
        crashed="$crashed $t"
        tail -n 40 "$log" >&2
    fi

    rm -rf "$merged" && mkdir -p "$merged"
    if "$bin" "$@" -merge=1 "$merged" "$corpus" "$work" >>"$log" 2>&1; then
        find "$corpus" -type f ! -name 'crash-*' -delete
        cp "$merged"/* "$corpus"/ 2>/dev/null
        # A kept regression input is not kept a second time under its hash.
        for f in "$corpus"/crash-*; do
            [ -f "$f" ] && rm -f "$corpus/$(sha1sum "$f" | cut -d' ' -f1)"
        done
    else
        echo "fuzz_$t: merge failed, corpus left as it was (see $log)" >&2
    fi
    line="fuzz_$t: ${execs:-?} executions in $seconds s, corpus $(ls "$corpus" | wc -l) files, exit $rc"
    echo "$line"
    summary="$summary$line
"
done

printf '\n%s' "$summary"
if [ -n "$crashed" ]; then
    echo "crashed:$crashed (inputs in $build/fuzz-crashes/)" >&2
    exit 1
fi
