#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or $QB_FUZZ_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${QB_FUZZ_BUILD_DIR:-build-fuzz}
cc=$(command -v clang-14 || command -v clang)
cxx=$(command -v clang++-14 || command -v clang++)
cmake -S fuzz -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx"
targets=()
for t in response iso8601 inifilter methodcall workbook; do targets+=("fuzz_$t"); done
cmake --build "$dir" --parallel "${QB_JOBS:-$(nproc)}" --target "${targets[@]}"
