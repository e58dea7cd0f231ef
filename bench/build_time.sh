#!/usr/bin/env bash
# The clean build of two revisions, back to back, each from a fresh clone with the compiler cache
# off: wall time, the CPU seconds of the whole build (user + system of scripts/build.sh and
# everything it ran) and the sum of the steps in build/.ninja_log, then the ratio HEAD / BASE.
# Other people's work on the machine stretches the wall time and the .ninja_log steps (they are
# wall-clock); the CPU seconds are the fair figure. Not part of the test suite: run it by hand.
#
#   bench/build_time.sh [--side-by-side] [BASE_REV] [HEAD_REV] [ROUNDS]
#
# BASE_REV defaults to a04b739 (the build before it was made lighter), HEAD_REV to HEAD, ROUNDS
# (pairs) to 1. With --side-by-side the two builds of a pair run at the same time, so that both
# meet the same load from others (each still builds with -j$(nproc)). The clones go to a temporary
# folder that is removed at the end; the slowest steps of each build are listed so that the next
# thing to make lighter is in view.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
side_by_side=0
if [[ ${1:-} = --side-by-side ]]; then
    side_by_side=1
    shift
fi
base=${1:-a04b739}
head=${2:-HEAD}
rounds=${3:-1}
work=$(mktemp -d /tmp/kd-build-time-XXXXXX)
trap 'rm -rf "$work"' EXIT

# The steps of a .ninja_log, each once: a step with several outputs has a line per output, all
# with the same command hash.
steps() {
    awk -F'\t' '!/^#/ && !seen[$5]++ { printf "%.3f\t%s\n", ($2 - $1) / 1000, $4 }' "$1"
}

ninja_sum() {
    steps "$1" | awk -F'\t' '{ s += $1 } END { printf "%.1f", s }'
}

measure() { # label revision
    local label=$1 rev=$2 dir=$work/$1
    rm -rf "$dir"
    git clone -q --no-checkout "$root" "$dir"
    git -C "$dir" checkout -q "$(git -C "$root" rev-parse "$rev")"
    # KD_USE_CCACHE is unknown to older trees; the variable in the environment holds for both.
    CCACHE_DISABLE=1 /usr/bin/time -f '%e %U %S' -o "$dir/time.txt" \
        bash "$dir/scripts/build.sh" build -DKD_USE_CCACHE=OFF >"$dir/build.log" 2>&1 ||
        { tail -20 "$dir/build.log" >&2; echo "build of $label ($rev) failed" >&2; exit 1; }
    read -r wall user sys <"$dir/time.txt"
    local cpu ninja steps
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", u + s }')
    ninja=$(ninja_sum "$dir/build/.ninja_log")
    count=$(steps "$dir/build/.ninja_log" | wc -l)
    {
        printf '%-5s %-9s wall %7.1f s   cpu (user+sys) %7.1f s   .ninja_log sum %7.1f s   %d steps\n' \
            "$label" "$(git -C "$dir" rev-parse --short HEAD)" "$wall" "$cpu" "$ninja" "$count"
        echo "  slowest steps:"
        steps "$dir/build/.ninja_log" | sort -rn | head -8 | awk -F'\t' '{ printf "  %8.1f  %s\n", $1, $2 }'
    } >"$dir.report"
    echo "$cpu $ninja" >>"$work/$label.figures"
    rm -rf "$dir"
}

for ((i = 0; i < rounds; ++i)); do
    if ((side_by_side)); then
        measure base "$base" &
        pid_base=$!
        measure head "$head" &
        pid_head=$!
        wait "$pid_base"
        wait "$pid_head"
    else
        measure base "$base"
        measure head "$head"
    fi
    cat "$work/base.report" "$work/head.report"
done

# Ratios of the sums over all rounds.
read -r bc bn < <(awk '{ c += $1; n += $2 } END { print c, n }' "$work/base.figures")
read -r hc hn < <(awk '{ c += $1; n += $2 } END { print c, n }' "$work/head.figures")
awk -v bc="$bc" -v bn="$bn" -v hc="$hc" -v hn="$hn" \
    'BEGIN { printf "head / base: cpu %.2f, .ninja_log sum %.2f\n", hc / bc, hn / bn }'
