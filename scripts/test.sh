#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test on Qt's offscreen
# platform. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
