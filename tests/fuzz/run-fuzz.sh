#!/bin/sh
# Runs each fuzz target for FUZZ_SECONDS on its corpus, then merges what it found into the
# committed corpus. The merge keeps, of the old finds and the new, the fewest inputs that
# reach every edge (hit counts ignored, to keep the corpus small). Files named by their hash
# are libFuzzer's finds and are replaced by the merge; seeds with a name of their own and
# crash-* regressions are always kept. Prints executions per target; exits 1 when a target
# crashed (the input is in BUILD/fuzz-crashes/) or would not run.
#
#   run-fuzz.sh BUILD_DIR TARGET...
set -u
build=$1
shift
seconds=${FUZZ_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
crashed=""
failed=""
summary=""

for t in "$@"; do
    bin=$build/fuzz/fuzz_$t
    corpus=$here/corpus/$t
    work=$build/fuzz-work/$t
    merged=$build/fuzz-merged/$t
    log=$build/fuzz-$t.log
    mkdir -p "$work" "$build/fuzz-crashes"
    before=$(ls "$build/fuzz-crashes" | grep -c "^$t-")
    set --
    [ -f "$here/$t.options" ] && set -- $(cat "$here/$t.options")
    [ -f "$here/$t.dict" ] && set -- "$@" "-dict=$here/$t.dict"

    echo "== fuzz_$t: $seconds s"
    "$bin" "$@" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-crashes/$t-" "$work" "$corpus" >"$log" 2>&1
    rc=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ $rc -ne 0 ]; then
        # No input left behind means the fuzzer itself would not run (a bad option or
        # dictionary line), which is no finding about the parser.
        if [ "$(ls "$build/fuzz-crashes" | grep -c "^$t-")" -gt "$before" ]; then
            crashed="$crashed $t"
        else
            failed="$failed $t"
        fi
        tail -n 40 "$log" >&2
    fi

    rm -rf "$merged" && mkdir -p "$merged"
    if "$bin" "$@" -use_counters=0 -merge=1 "$merged" "$corpus" "$work" >>"$log" 2>&1; then
        find "$corpus" -type f -regextype posix-extended -regex '.*/[0-9a-f]{40}' -delete
        # What the named files already hold is not kept a second time under its hash.
        for f in "$corpus"/*; do
            [ -f "$f" ] && rm -f "$merged/$(sha1sum "$f" | cut -d' ' -f1)"
        done
        cp "$merged"/* "$corpus"/ 2>/dev/null
    else
        echo "fuzz_$t: merge failed, corpus left as it was (see $log)" >&2
    fi
    line="fuzz_$t: ${execs:-?} executions in $seconds s, corpus $(ls "$corpus" | wc -l) files, exit $rc"
    echo "$line"
    summary="$summary$line
"
done

printf '\n%s' "$summary"
[ -n "$failed" ] && echo "did not run:$failed (see $build/fuzz-<target>.log)" >&2
[ -n "$crashed" ] && echo "crashed:$crashed (inputs in $build/fuzz-crashes/)" >&2
[ -z "$crashed$failed" ]
