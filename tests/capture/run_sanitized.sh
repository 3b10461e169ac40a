#!/usr/bin/env bash
# Capture library under clang's sanitizers: the parser tests and the library tests (with
# 10,000 load-call-unload cycles) under AddressSanitizer/LeakSanitizer/UBSan, then the
# libFuzzer target for a bounded time. Exits non-zero on any failure.
#
#   tests/capture/run_sanitized.sh [BUILD_DIR]
# Environment: KVO_FUZZ_SECONDS (default 60), KVO_CAPTURE_CYCLES (default 10000).
set -euo pipefail

src=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$src/build-capture-sanitized}
fuzz_seconds=${KVO_FUZZ_SECONDS:-60}
cycles=${KVO_CAPTURE_CYCLES:-10000}
jobs=${KVO_JOBS:-2}

for tool in clang-14 clang++-14 cmake ninja; do
    command -v "$tool" >/dev/null || { echo "run_sanitized.sh: $tool is missing" >&2; exit 2; }
done

mkdir -p "$build"
flags="-fsanitize=fuzzer-no-link -fno-sanitize-recover=all"
cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DKVO_SANITIZE=ON -DKVO_FUZZ=ON -DKVO_BUILD_BENCH=OFF \
    -DKVO_PARTS="common;capture" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j "$jobs" --target kvo_dll kvo_feed test_capture_parser test_capture_dll \
    fuzz_capture_line

# Program directories on a memory file system: the sanitizers, not the disk, set the pace.
scratch_root=/dev/shm
[ -d "$scratch_root" ] && [ -w "$scratch_root" ] || scratch_root=${TMPDIR:-/tmp}
work=$(mktemp -d "$scratch_root/kvo-capture-san.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

echo "== parser tests"
"$build/bin/test_capture_parser" --gtest_brief=1
echo "== library tests, $cycles load-call-unload cycles"
KVO_CAPTURE_CYCLES=$cycles "$build/bin/test_capture_dll" --gtest_brief=1

echo "== fuzzing the parser and store for $fuzz_seconds s"
mkdir -p "$work/corpus"
printf '\00001/15/24 10:15AM   101 01 321                            00:01'"'"'23' >"$work/corpus/line"
printf '\00115-01-24 01:30PM   1O1 02 <I>012                         01'"'"'23     AB' \
    >"$work/corpus/journal"
"$build/bin/fuzz_capture_line" -max_total_time="$fuzz_seconds" -max_len=4096 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work/corpus"
echo "run_sanitized.sh: all passed"
