#!/usr/bin/env bash
# Runs every test of a build folder; the window tests need no display.
set -euo pipefail
build_dir="$1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300
