#!/usr/bin/env bash
# What a noisy cable does to the transfers: korvid-cli send-db, flash and recv-db against
# receiver-sim with --noise (one flipped bit in that share of the bytes, both ways), one seed per
# run. Not part of the test suite: run it by hand, and give an older build to compare.
#
#   bench/link/noise_bench.sh [BUILD_DIR_OR_BIN_DIR...]
#
# Each argument is a build folder (with korvid/cli/korvid-cli and tools/receiver-sim/receiver-sim)
# or a folder holding korvid-cli and receiver-sim side by side; the default is build/. The
# environment sets the rest:
#   RUNS      seeds per command and noise level (10)
#   NOISES    shares of flipped bytes ("0.0001 0.0005 0.002", i.e. 0.01 %, 0.05 %, 0.2 %)
#   COMMANDS  any of send-db, flash, recv-db ("send-db flash")
#   JOBS      runs side by side (4; a failed run mostly waits out a time-out, which costs no CPU)
#   CODE_KIB  size of the code file that flash sends (1024)
#
# A run is "complete" when the command exits 0 and what the receiver stored (send-db, flash) or
# what the command wrote (recv-db) is what a clean run gives; "complete-but-wrong" when it exits 0
# and differs; "stopped" when it exits with a failure and nothing was written; "stopped but
# written" when it failed although the receiver (or the command) wrote. complete-but-wrong must
# stay 0.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${RUNS:-10}
noises=${NOISES:-0.0001 0.0005 0.002}
commands=${COMMANDS:-send-db flash}
jobs=${JOBS:-4}
code_kib=${CODE_KIB:-1024}
[ $# -gt 0 ] || set -- "$root/build"

work=$(mktemp -d /tmp/kd-noise-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

# binaries DIR: sets cli and sim for a build folder or a folder of the two programs.
binaries() {
    if [ -x "$1/korvid/cli/korvid-cli" ]; then
        cli=$1/korvid/cli/korvid-cli sim=$1/tools/receiver-sim/receiver-sim
    else
        cli=$1/korvid-cli sim=$1/receiver-sim
    fi
    [ -x "$cli" ] && [ -x "$sim" ] || { echo "no korvid-cli and receiver-sim in $1" >&2; exit 1; }
}

# one_run DIR COMMAND NOISE SEED: prints the run's category. A noise of 0 makes the reference.
one_run() {
    local dir=$1 cmd=$2 noise=$3 seed=$4
    local d
    d=$(mktemp -d "$work/run-XXXXXX")
    local sim_args=(--pty --noise "$noise" --seed "$seed")
    case $cmd in
    send-db) sim_args+=(--out "$d/got") ;;
    flash) sim_args+=(--exchange software --out "$d/got") ;;
    recv-db) sim_args+=(--exchange db-from-receiver --image "$work/served.bin") ;;
    esac
    # Every wait of either side ends within two minutes; timeout only guards the bench itself.
    timeout 300 "$sim" "${sim_args[@]}" >"$d/path" 2>"$d/sim.log" &
    local sim_pid=$!
    until grep -q . "$d/path" 2>/dev/null; do
        kill -0 "$sim_pid" 2>/dev/null || { echo "receiver-sim did not start" >&2; return 1; }
        sleep 0.01
    done
    local port rc=0
    port=$(head -1 "$d/path")
    case $cmd in
    send-db) timeout 300 "$cli" send-db "$work/db.ird" --port "$port" >"$d/cli.log" 2>&1 || rc=$? ;;
    flash) timeout 300 "$cli" flash "$work/code.mem" --port "$port" >"$d/cli.log" 2>&1 || rc=$? ;;
    recv-db) timeout 300 "$cli" recv-db "$d/got" --port "$port" --force >"$d/cli.log" 2>&1 || rc=$? ;;
    esac
    wait "$sim_pid" 2>/dev/null || true
    if [ "$noise" = 0 ]; then
        [ "$rc" = 0 ] || { echo "a clean $cmd failed: $(cat "$d/cli.log")" >&2; return 1; }
        cp "$d/got" "$work/ref.$cmd"
    elif [ "$rc" != 0 ] && [ -e "$d/got" ]; then
        echo stopped-but-written
    elif [ "$rc" != 0 ]; then
        echo stopped
    elif cmp -s "$d/got" "$work/ref.$cmd"; then
        echo complete
    else
        echo complete-but-wrong
    fi
    rm -rf "$d"
}

binaries "$1"
"$cli" build "$root/samples/sample.json" "$work/db.ird" >/dev/null
# A code file of random bytes, the same in every run and every build, so that builds compare.
# openssl is cut off by head, which pipefail would take for a failure.
{ openssl enc -aes-128-ctr -nosalt -K 00112233445566778899aabbccddeeff -iv 0 </dev/zero 2>/dev/null || true; } |
    head -c $((code_kib * 1024)) >"$work/code.mem"

printf '| build | command | noise | complete | complete-but-wrong | stopped | stopped but written |\n'
printf '|---|---|---|---|---|---|---|\n'
for dir in "$@"; do
    binaries "$dir"
    for cmd in $commands; do
        if [ "$cmd" = recv-db ]; then
            # What the receiver serves: what a clean send-db leaves in it.
            one_run "$dir" send-db 0 0
            cp "$work/ref.send-db" "$work/served.bin"
        fi
        one_run "$dir" "$cmd" 0 0
        for noise in $noises; do
            running=0
            for seed in $(seq 1 "$runs"); do
                one_run "$dir" "$cmd" "$noise" "$seed" >"$work/result.$seed" &
                running=$((running + 1))
                if [ "$running" -ge "$jobs" ]; then
                    wait -n || true
                    running=$((running - 1))
                fi
            done
            wait || true
            results=$(cat "$work"/result.*)
            rm -f "$work"/result.*
            count() { grep -cx "$1" <<<"$results" || true; }
            printf '| %s | %s | %s %% | %s | %s | %s | %s |\n' "$dir" "$cmd" \
                "$(awk -v n="$noise" 'BEGIN { print n * 100 }')" \
                "$(count complete)" "$(count complete-but-wrong)" "$(count stopped)" "$(count stopped-but-written)"
        done
    done
done
