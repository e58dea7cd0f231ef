#!/usr/bin/env bash
# How often a transfer over a noisy cable is still reported complete although what arrived is not
# what was sent: korvid-cli send-db and recv-db against receiver-sim with --noise (one flipped bit
# in that share of the bytes, both ways), one seed per run. Not part of the test suite: run it by
# hand, and give an older korvid-cli to compare.
#
#   bench/link/noise_bench.sh [RUNS] [NOISE] [KORVID_CLI] [RECEIVER_SIM]
#
# RUNS defaults to 20 per direction, NOISE to 0.0005 (0.05 % of bytes). A run counts as "corrupted
# but complete" when the command exits 0 and the receiver's stored image (send-db) or the written
# file (recv-db) differs from a clean transfer's. A failed run that waits out a time-out takes up
# to a minute.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-20}
noise=${2:-0.0005}
cli=${3:-$root/build/korvid/cli/korvid-cli}
sim=${4:-$root/build/tools/receiver-sim/receiver-sim}
[ -x "$cli" ] && [ -x "$sim" ] || { echo "build korvid-cli and receiver-sim first" >&2; exit 1; }

work=$(mktemp -d /tmp/kd-noise-bench-XXXXXX)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# start_sim ARGS...: the simulator on a new pseudo-terminal; its far end in $port.
start_sim() {
    : >"$work/sim.path"
    "$sim" --pty "$@" >"$work/sim.path" 2>"$work/sim.log" &
    sim_pid=$!
    until [ -s "$work/sim.path" ] && grep -q . "$work/sim.path"; do
        kill -0 "$sim_pid" 2>/dev/null || { echo "receiver-sim did not start" >&2; exit 1; }
        sleep 0.01
    done
    port=$(head -1 "$work/sim.path")
}
end_sim() {
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
}

"$cli" build "$root/samples/sample.json" "$work/db.ird" >/dev/null
# The references: what a clean send stores in the receiver, what a clean receive of it writes.
start_sim --out "$work/ref.bin"
"$cli" send-db "$work/db.ird" --port "$port" >/dev/null
end_sim
start_sim --exchange db-from-receiver --image "$work/ref.bin"
"$cli" recv-db "$work/ref.ird" --port "$port" >/dev/null
end_sim

declare -A complete corrupted
for dir in send-db recv-db; do
    complete[$dir]=0
    corrupted[$dir]=0
    for seed in $(seq 1 "$runs"); do
        rm -f "$work/got.bin" "$work/got.ird"
        if [ "$dir" = send-db ]; then
            start_sim --noise "$noise" --seed "$seed" --out "$work/got.bin"
            rc=0
            "$cli" send-db "$work/db.ird" --port "$port" >/dev/null 2>&1 || rc=$?
            end_sim
            got=$work/got.bin ref=$work/ref.bin
        else
            start_sim --exchange db-from-receiver --image "$work/ref.bin" --noise "$noise" --seed "$seed"
            rc=0
            "$cli" recv-db "$work/got.ird" --port "$port" >/dev/null 2>&1 || rc=$?
            end_sim
            got=$work/got.ird ref=$work/ref.ird
        fi
        if [ "$rc" = 0 ]; then
            complete[$dir]=$((complete[$dir] + 1))
            cmp -s "$got" "$ref" || corrupted[$dir]=$((corrupted[$dir] + 1))
        fi
    done
    echo "$dir: $runs runs at noise $noise: ${complete[$dir]} reported complete," \
        "${corrupted[$dir]} of them corrupted (corrupted-but-complete rate ${corrupted[$dir]}/$runs)"
done
