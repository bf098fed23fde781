#!/usr/bin/env bash
# fuzz/run.sh [SECONDS]: builds the fuzz preset and runs decode_fuzzer for SECONDS (60 by
# default) on one core, seeded with the valid and hostile pictures of tests/hostile_corpus.cpp.
# Inputs it finds are kept in build/fuzz/corpus; a crash, a hang (over 5 s) or more than 2 GB
# leaves the input in build/fuzz/artifacts/ and exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/install-deps.sh scripts/deps-fuzz.txt
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
out=build/fuzz
rm -rf "$out/seeds"
mkdir -p "$out/corpus" "$out/artifacts"
QT_QPA_PLATFORM=offscreen "$out/fuzz/write_corpus" "$out/seeds"
rmdir "$out/seeds/x.jpg"  # the directory named like a picture is for the window test only
"$out/fuzz/decode_fuzzer" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$out/artifacts/" "$out/corpus" "$out/seeds"
