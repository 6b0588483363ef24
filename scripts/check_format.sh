#!/usr/bin/env bash
# Fails when a C++ source file differs from what the root .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "format: every source file as .clang-format has it"
