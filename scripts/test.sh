#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh             the whole suite in build/
#   scripts/test.sh --sanitize  the core tests under AddressSanitizer and UBSan in build-sanitize/
#   scripts/test.sh --release   the programs alone, as Release builds with GCC and with Clang, in
#                               build-release-gcc/ and build-release-clang/: nothing is run, a warning
#                               fails it
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh

# Every C++ file as .clang-format lays it out; an unformatted file fails the run before the build.
if ! git ls-files -z '*.h' '*.cpp' | xargs -0 -r clang-format --dry-run -Werror; then
    echo "Unformatted files above: run  git ls-files '*.h' '*.cpp' | xargs clang-format -i" >&2
    exit 1
fi

if [ "${1:-}" = "--release" ]; then
    # -O3 lets GCC's flow analysis see through inlined code and warn where the default build does
    # not; Clang warns about other things again.
    for compiler in gcc:g++ clang:clang++; do
        bash scripts/build.sh "build-release-${compiler%%:*}" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_CXX_COMPILER="${compiler#*:}" -DKD_BUILD_TESTS=OFF -DKD_BUILD_BENCH=OFF
    done
elif [ "${1:-}" = "--sanitize" ]; then
    bash scripts/build.sh build-sanitize -DKD_SANITIZE=ON
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ctest --test-dir build-sanitize -L core --output-on-failure -j "$(nproc)"
else
    bash scripts/build.sh build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
fi
