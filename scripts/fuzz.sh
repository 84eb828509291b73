#!/usr/bin/env bash
# Builds the settings-file fuzz target with clang in build-fuzz/ and runs it for the given number
# of seconds (600 by default), on one core, from the seed corpus in fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
PELLDRAKE_EXTRA_PACKAGES="clang" PELLDRAKE_SETUP_ONLY=1 scripts/setup.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DPELLDRAKE_FUZZ=ON -DPELLDRAKE_BUILD_TESTS=OFF -DPELLDRAKE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target profile_fuzz
mkdir -p build-fuzz/corpus
cp -n fuzz/corpus/* build-fuzz/corpus/
build-fuzz/fuzz/profile_fuzz -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 build-fuzz/corpus
