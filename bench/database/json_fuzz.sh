#!/usr/bin/env bash
# Fuzzes the JSON reader of korvid-cli build (korvid/database/fuzz) for a fixed number of inputs
# with libFuzzer, starting from the sample database and a few small texts. Not part of the test
# suite: run it by hand.
#
#   bench/database/json_fuzz.sh [RUNS] [BUILD_DIR]
#
# RUNS defaults to 200000; BUILD_DIR (default build-fuzz) is configured with clang++ and builds only
# the fuzz target. Prints the inputs tried and the crashes found; crash inputs stay in the work
# folder it names.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-200000}
build=${2:-$root/build-fuzz}
command -v clang++ >/dev/null || { echo "clang++ is needed for libFuzzer" >&2; exit 1; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DKD_BUILD_GUI=OFF -DKD_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target korvid_json_fuzz >/dev/null
fuzz=$(find "$build" -name korvid_json_fuzz -type f -perm -u+x | head -1)

work=$(mktemp -d /tmp/kd-json-fuzz-XXXXXX)
mkdir -p "$work/corpus" "$work/seeds"
cp "$root/samples/sample.json" "$work/seeds/sample.json"
printf '{}' >"$work/seeds/empty-object.json"
printf '[[[[[[[[[[]]]]]]]]]]' >"$work/seeds/nested.json"
printf '{"format": "korvid channel database", "version": 1}' >"$work/seeds/head.json"

cd "$work"
set +e
"$fuzz" -runs="$runs" -max_len=300000 -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
    corpus seeds >fuzz.log 2>&1
status=$?
set -e
tried=$(grep -o 'stat::number_of_executed_units: *[0-9]*' fuzz.log | grep -o '[0-9]*$' || true)
crashes=$(find . -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
echo "inputs tried: ${tried:-unknown} (asked for $runs), crashes found: $crashes, libFuzzer exit $status"
echo "log and any crash inputs: $work"
