#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every test of a build folder; the window tests need no display.
set -euo pipefail
build_dir="$1"
export QT_QPA_PLATFORM=offscreen
# Only read by a sanitized build: every finding fails its test, with the stack that led to it.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300
# The figures the reliability suites reached (ctest keeps a passing test's output to itself).
grep -h '^\[ figures  \]' "$build_dir/Testing/Temporary/LastTest.log" 2>/dev/null || true
