#!/usr/bin/env bash
# Copy and move of a 2 GiB recording of 3 parts inside one file system, against `cp` of the same
# four files in the same run. Not part of the test suite: run it by hand.
#
#   bench/storage/copy_bench.sh [DRANFEL_CLI] [WORK_DIR] [REPEATS]
#
# DRANFEL_CLI defaults to build/dranfel/cli/dranfel-cli, WORK_DIR to a new folder under /work (or
# /tmp); everything made there is deleted at the end. The same is then done on a tmpfs when one can
# be mounted (as root), where no disk stands between the two tools and only the copying counts.
# Each run starts after `sync`, so one run's write-back does not slow the next, and which tool goes
# first alternates. The figure is the speed ratio (median time of cp / median time of dranfel-cli):
# >= 0.8 is the target for copy. A move is a whole copy and then the deletion of the sources.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cli=${1:-$root/build/dranfel/cli/dranfel-cli}
base=${2:-$( [ -d /work ] && echo /work || echo /tmp )}
repeats=${3:-5}
[ -x "$cli" ] || { echo "no dranfel-cli at $cli (build it first)" >&2; exit 1; }

work=$(mktemp -d "$base/kd-storage-bench-XXXXXX")
mounted=
cleanup() {
    [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

calc() { awk "BEGIN { printf \"%.6f\", $* }"; }
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }
seconds() { # COMMAND...: wall time of the command in seconds
    local t0 t1
    sync
    t0=$(date +%s.%N)
    "$@" >/dev/null
    t1=$(date +%s.%N)
    calc "$t1 - $t0"
}

title=Bench date=200603012015
part1=${title}_#001_${date}.AVR

# 2 GiB in three parts (716, 716 and 616 MiB) and the information file that counts them.
make_recording() { # DIR
    local dir=$1 total=0 i f info
    local part_mib=(716 716 616)
    for i in 0 1 2; do
        f=$dir/${title}_#00$((i + 1))_${date}.AVR
        head -c "$((part_mib[i]))M" /dev/urandom >"$f"
        total=$((total + part_mib[i] * 1048576))
    done
    info=$dir/${title}_#001_${date}.AVF
    head -c 8008 /dev/zero >"$info"
    printf '\x00\x03' | dd of="$info" bs=1 seek=1740 conv=notrunc status=none
    printf "$(printf '\\x%02x' $(for s in 56 48 40 32 24 16 8 0; do echo $(((total >> s) & 255)); done))" |
        dd of="$info" bs=1 seek=1744 conv=notrunc status=none
    cat "$dir"/* >/dev/null # in the page cache for every run alike
    echo $((total + 8008))
}

run_suite() { # DIR: makes the recording there and times the three kinds of run
    local dir=$1 r bytes
    local src=$dir/src
    mkdir -p "$src" "$dir/cp" "$dir/ours" "$dir/moved"
    bytes=$(make_recording "$src")
    local cp_times=() copy_times=() move_times=()
    for r in $(seq 1 "$repeats"); do
        # Each copy is removed before the next run, so a tmpfs needs room for two recordings only.
        if [ $((r % 2)) -eq 1 ]; then
            cp_times+=("$(seconds cp "$src"/. "$dir/cp/" -r)")
            rm -f "$dir/cp"/*
            copy_times+=("$(seconds "$cli" cp "$src" "$dir/ours" "$part1")")
            rm -f "$dir/ours"/*
        else
            copy_times+=("$(seconds "$cli" cp "$src" "$dir/ours" "$part1")")
            rm -f "$dir/ours"/*
            cp_times+=("$(seconds cp "$src"/. "$dir/cp/" -r)")
            rm -f "$dir/cp"/*
        fi
        move_times+=("$(seconds "$cli" mv "$src" "$dir/moved" "$part1")")
        move_times+=("$(seconds "$cli" mv "$dir/moved" "$src" "$part1")")
    done
    local gib t_cp t_copy t_move
    gib=$(calc "$bytes / 1073741824")
    t_cp=$(median "${cp_times[@]}")
    t_copy=$(median "${copy_times[@]}")
    t_move=$(median "${move_times[@]}")
    printf '== %s (%s): recording of 3 parts, %.2f GiB\n' "$dir" "$(df -T "$dir" | awk 'NR==2 {print $2}')" "$gib"
    printf 'cp:              %s s\n' "${cp_times[*]}"
    printf 'dranfel-cli cp:  %s s\n' "${copy_times[*]}"
    printf 'dranfel-cli mv:  %s s\n' "${move_times[*]}"
    printf 'median: cp %.2f s (%.0f MiB/s), copy %.2f s (%.0f MiB/s), move %.2f s (%.0f MiB/s)\n' \
        "$t_cp" "$(calc "$gib * 1024 / $t_cp")" "$t_copy" "$(calc "$gib * 1024 / $t_copy")" \
        "$t_move" "$(calc "$gib * 1024 / $t_move")"
    printf 'speed ratio against cp: copy %.2f, move %.2f (target for copy: >= 0.80)\n' \
        "$(calc "$t_cp / $t_copy")" "$(calc "$t_cp / $t_move")"
    rm -rf "${dir:?}"/*
}

run_suite "$work/disk"
mkdir -p "$work/tmpfs"
if mount -t tmpfs -o size=5G tmpfs "$work/tmpfs" 2>/dev/null; then
    mounted=$work/tmpfs
    run_suite "$work/tmpfs"
else
    echo "== no tmpfs run: mounting was refused"
fi
