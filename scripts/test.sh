#!/usr/bin/env bash
# Installs what DORive needs, builds everything and runs all tests: once as shipped, and
# the core tests once more under the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
jobs=$(nproc)
# Dependencies between the folders run one way only, and only the front ends include Qt.
python3 scripts/check_layers.py
# Every source file formatted with the root .clang-format.
./scripts/check_format.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
# The core and its tests once more, configured without Qt at all (no Qt include path, no
# Qt library), under the address and undefined-behaviour sanitizers.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDORIVE_SANITIZE=ON -DDORIVE_BUILD_APP=OFF -DDORIVE_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")
