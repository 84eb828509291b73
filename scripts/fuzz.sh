#!/usr/bin/env bash
# Builds a fuzz target with clang, AddressSanitizer and UBSan in build-fuzz/ and runs it for the
# given number of seconds (600 by default), on one core, from its seed corpus in fuzz/corpus/.
#   scripts/fuzz.sh profile [seconds]     the settings-file reader and writer
#   scripts/fuzz.sh work_state [seconds]  the work-state reader
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:-profile}
seconds=${2:-600}
PELLDRAKE_EXTRA_PACKAGES="clang libclang-rt-dev" PELLDRAKE_SETUP_ONLY=1 scripts/setup.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DPELLDRAKE_BUILD_FUZZ=ON -DPELLDRAKE_BUILD_TESTS=OFF -DPELLDRAKE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${name}_fuzzer"
# New inputs go to the working corpus; the seeds in the repository stay as they are.
mkdir -p "build-fuzz/corpus/$name"
build-fuzz/fuzz/"${name}_fuzzer" -max_total_time="$seconds" -max_len=150000 -print_final_stats=1 \
    "build-fuzz/corpus/$name" "fuzz/corpus/$name"
