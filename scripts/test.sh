#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test on Qt's offscreen
# platform, then builds and runs the suite again under ASan and UBSan. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
