#!/bin/sh
# Builds the tool and runs every test headless.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
