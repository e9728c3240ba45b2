#!/usr/bin/env bash
# Memory and thread checking of the test suite.
#  build-asan: the whole project with AddressSanitizer (LeakSanitizer included)
#              and UndefinedBehaviorSanitizer; every ctest test runs.
#  build-tsan: ThreadSanitizer build of the call-thread, transport (anonymous
#              and verified) and service tests only
#              (the widget programs add nothing there and TSan slows them ten-fold).
# QB_SANITIZE_ONLY=asan or =tsan runs one half; QB_JOBS caps the parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${QB_JOBS:-$(nproc)}
only=${QB_SANITIZE_ONLY:-}

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Fontconfig and the offscreen platform keep caches until exit; nothing of ours.
export LSAN_OPTIONS=suppressions=$root/tests/hardening/lsan.supp:print_suppressions=0

if [[ -z $only || $only == asan ]]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQB_SANITIZE=ON -DQB_BUILD_BENCH=OFF
    cmake --build build-asan --parallel "$jobs"
    (cd build-asan && ctest --output-on-failure --parallel "$jobs" --timeout 900)
    unset ASAN_OPTIONS
fi

if [[ -z $only || $only == tsan ]]; then
    tsan="-fsanitize=thread -fno-omit-frame-pointer"
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_BUILD_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="$tsan" -DCMAKE_C_FLAGS="$tsan" \
        -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
    cmake --build build-tsan --parallel "$jobs" --target xmlrpc_tests service_tests
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    build-tsan/tests/xmlrpc/xmlrpc_tests --gtest_filter='RpcCall*:Transport*:VerifiedTls*:HostLookup*'
    build-tsan/tests/service/service_tests
fi
echo "sanitize: all clean"
