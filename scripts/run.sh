#!/bin/sh
# Builds the tool and starts it.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh
exec build/relaytool
