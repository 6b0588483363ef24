#!/usr/bin/env bash
# Installs what DORive needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target dorive
exec ./build/app/qt/dorive "$@"
