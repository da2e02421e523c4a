#!/usr/bin/env bash
# Installs what is missing, builds Teilomat with its tests and runs every test.
#   scripts/test.sh                     Release build in build/
#   scripts/test.sh --sanitize          AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/,
#                                       by Clang, every warning an error (the other builds use GCC)
#   scripts/test.sh --thread-sanitize   ThreadSanitizer build of the core's tests in build-tsan/, run on
#                                       2 and on 8 worker threads
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
options=(-DCMAKE_BUILD_TYPE=Release)
thread_counts=("")
case "${1:-}" in
  --sanitize)
    dir=build-asan
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEILOMAT_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++
             -DCMAKE_CXX_FLAGS=-Werror)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
    export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ;;
  --thread-sanitize)
    dir=build-tsan
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEILOMAT_THREAD_SANITIZE=ON -DTEILOMAT_BUILD_APP=OFF
             -DTEILOMAT_BUILD_BENCH=OFF)
    export TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp halt_on_error=1 second_deadlock_stack=1"
    thread_counts=(2 8)
    ;;
esac

scripts/deps.sh
cmake -S . -B "$dir" "${options[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
for threads in "${thread_counts[@]}"; do
  if [ -n "$threads" ]; then
    echo "Tests on $threads worker threads"
    TEILOMAT_THREADS=$threads ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
  else
    ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
  fi
done
