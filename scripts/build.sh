#!/usr/bin/env bash
# Configures and builds into the given folder (default build/). Extra arguments go to cmake, except
# --target=NAME, which builds that target (and what it needs) instead of everything; it may be given
# more than once.
# The configure is quiet when it works and shows everything it said when it does not (a missing
# package, say).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
shift || true
[[ $dir = /* ]] || dir=$root/$dir
configure=()
targets=()
for arg in "$@"; do
    case $arg in
    --target=*) targets+=(--target "${arg#--target=}") ;;
    *) configure+=("$arg") ;;
    esac
done
mkdir -p "$dir"
log="$dir/configure.log"
# Warnings stop our own builds (KD_WERROR); a plain cmake only shows them.
if ! cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKD_WERROR=ON "${configure[@]}" >"$log" 2>&1; then
    cat "$log" >&2
    echo "build.sh: the configure failed (the whole output is above and in $log)" >&2
    exit 1
fi
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
