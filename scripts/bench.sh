#!/bin/sh
# Builds and runs every benchmark; prints their figures.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh
for b in build/bench/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    QT_QPA_PLATFORM=offscreen "$b"
done
