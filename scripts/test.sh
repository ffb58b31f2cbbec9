#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test twice: a normal
# build and a build under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
export TZ=Asia/Tokyo LC_ALL=C.UTF-8
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest -j "$jobs" --output-on-failure --timeout 180)

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPLIMOD_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest -j "$jobs" --output-on-failure --timeout 300)
