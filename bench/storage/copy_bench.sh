#!/usr/bin/env bash
# Copy and move of a 2 GiB recording of 3 parts, against `cp` followed by `sync` of the copies
# (our copies are on the disk, names and folder included, when we say done; cp's are not until
# the sync), and against `mv`, in the same run. Not part of the test suite: run it by hand.
#
#   bench/storage/copy_bench.sh [BUILD_DIR] [WORK_DIR] [REPEATS] [OLD_BUILD_DIR]
#
# BUILD_DIR defaults to build/ (dranfel/cli/dranfel-cli and bench/storage/window_copy_bench),
# WORK_DIR to a new folder under /work (or /tmp); everything made there is deleted at the end.
# OLD_BUILD_DIR, when given, is a build of an older revision measured in the same run ("before");
# its window_copy_bench may be missing. The same is then done on a tmpfs when one can be mounted
# (as root), where no disk stands between the tools and only their own work counts. Each run
# starts after `sync`, so one run's write-back does not slow the next, and the order of the tools
# turns round every repeat. Figures: speed ratio = median time of the peer / median time of ours
# (>= 1.0: at least as fast); the move's time within one file system (target: under 0.1 s).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
base=${2:-$( [ -d /work ] && echo /work || echo /tmp )}
repeats=${3:-3}
old=${4:-}
cli=$build/dranfel/cli/dranfel-cli
window=$build/bench/storage/window_copy_bench
[ -x "$cli" ] || { echo "no dranfel-cli at $cli (build it first)" >&2; exit 1; }
[ -x "$window" ] || window=
old_cli= old_window=
if [ -n "$old" ]; then
    old_cli=$old/dranfel/cli/dranfel-cli
    [ -x "$old/bench/storage/window_copy_bench" ] && old_window=$old/bench/storage/window_copy_bench
fi
export QT_QPA_PLATFORM=offscreen

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
window_seconds() { # BENCH SRC DST NAME KIND: the dialog's own figure
    sync
    "$@"
}
cp_and_sync() { # SRC DST
    cp -r "$1"/. "$2"/ && sync "$2"/*
}
mv_all() { # SRC DST
    mv "$1"/* "$2"/
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

declare -A times
add() { times[$1]="${times[$1]:-} $2"; }

# One repeat of every copy, in the order given, each copy removed before the next.
copies() { # SRC DST ORDER...
    local src=$1 dst=$2 tool
    shift 2
    for tool in "$@"; do
        case $tool in
        cp) add cp "$(seconds cp_and_sync "$src" "$dst")" ;;
        ours) add ours "$(seconds "$cli" cp "$src" "$dst" "$part1")" ;;
        window) add window "$(window_seconds "$window" "$src" "$dst" "$part1" copy)" ;;
        old) add old "$(seconds "$old_cli" cp "$src" "$dst" "$part1")" ;;
        old_window) add old_window "$(window_seconds "$old_window" "$src" "$dst" "$part1" copy)" ;;
        esac
        rm -f "$dst"/*
    done
}

run_suite() { # DIR
    local dir=$1 r bytes
    local src=$dir/src dst=$dir/dst
    mkdir -p "$src" "$dst" "$dir/moved"
    bytes=$(make_recording "$src")
    times=()
    local order=(cp ours)
    [ -n "$window" ] && order+=(window)
    [ -n "$old_cli" ] && order+=(old)
    [ -n "$old_window" ] && order+=(old_window)
    for r in $(seq 1 "$repeats"); do
        copies "$src" "$dst" "${order[@]}"
        order=("${order[@]:1}" "${order[0]}")
        add mv "$(seconds mv_all "$src" "$dir/moved")"
        add mv "$(seconds mv_all "$dir/moved" "$src")"
        add ours_mv "$(seconds "$cli" mv "$src" "$dir/moved" "$part1")"
        add ours_mv "$(seconds "$cli" mv "$dir/moved" "$src" "$part1")"
        if [ -n "$old_cli" ]; then
            add old_mv "$(seconds "$old_cli" mv "$src" "$dir/moved" "$part1")"
            add old_mv "$(seconds "$old_cli" mv "$dir/moved" "$src" "$part1")"
        fi
    done
    local gib
    gib=$(calc "$bytes / 1073741824")
    printf '== %s (%s): recording of 3 parts, %.2f GiB, %d repeats\n' "$dir" \
        "$(df -T "$dir" | awk 'NR==2 {print $2}')" "$gib" "$repeats"
    local t_cp t k
    t_cp=$(median ${times[cp]})
    for k in cp ours window old old_window; do
        [ -n "${times[$k]:-}" ] || continue
        t=$(median ${times[$k]})
        printf '%-28s median %6.3f s  %6.0f MiB/s  ratio against cp+sync %.2f   (%s)\n' \
            "copy: $k" "$t" "$(calc "$gib * 1024 / $t")" "$(calc "$t_cp / $t")" "${times[$k]# }"
    done
    for k in mv ours_mv old_mv; do
        [ -n "${times[$k]:-}" ] || continue
        printf '%-28s median %6.3f s   (%s)\n' "move in one file system: $k" "$(median ${times[$k]})" "${times[$k]# }"
    done
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
