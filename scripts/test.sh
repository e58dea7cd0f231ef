#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh             the whole suite in build/
#   scripts/test.sh --sanitize  the whole suite, windows offscreen included, under AddressSanitizer
#                               (leaks too) and UBSan in build-sanitize/
#   scripts/test.sh --thread    the core tests that start threads (label "threads": the worker,
#                               transfers, copies, conversions) under ThreadSanitizer in
#                               build-thread/; only what they need is built, without the windows
#   scripts/test.sh --release   the programs alone, as Release builds with GCC and with Clang, in
#                               build-release-gcc/ and build-release-clang/: nothing is run, a warning
#                               fails it; then every file of the Qt-free libraries compiled on its
#                               own (scripts/check_includes.sh)
# What ThreadSanitizer may ignore inside Qt, and why, is in scripts/sanitizers/tsan.supp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh

# Every C++ file as .clang-format lays it out; an unformatted file fails the run before the build.
# Once, in the plain run: the other runs build the same files.
if [ $# -eq 0 ] && ! git ls-files -z '*.h' '*.cpp' | xargs -0 -r clang-format --dry-run -Werror; then
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
    bash scripts/check_includes.sh build-includes
elif [ "${1:-}" = "--sanitize" ]; then
    bash scripts/build.sh build-sanitize -DKD_SANITIZE=ON
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    QT_QPA_PLATFORM=offscreen ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"
elif [ "${1:-}" = "--thread" ]; then
    # Qt is not instrumented, so in a window's test TSan sees little but Qt's own hand-overs, and
    # building the windows under it would cost CI minutes: the threads are the cores' (the worker,
    # the exchange loop, the copy engine, the converter's writer), tested there; the windows run
    # under ASan and UBSan.
    bash scripts/build.sh build-thread -DKD_SANITIZE_THREAD=ON -DKD_BUILD_GUI=OFF --target=thread_tests
    # A report fails its test when the program ends (exit code 66): halting at once can hang in Qt's
    # clean-up instead.
    export TSAN_OPTIONS=suppressions=$root/scripts/sanitizers/tsan.supp:second_deadlock_stack=1
    QT_QPA_PLATFORM=offscreen ctest --test-dir build-thread -L threads --output-on-failure -j "$(nproc)"
else
    bash scripts/build.sh build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
fi
