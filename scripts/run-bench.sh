#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the benchmarks of a build folder on the simulated runtime: offscreen, without the runtime's
# file trace, injected faults or a scenario file, so every figure is the built-in machine's.
set -euo pipefail
build_dir="$1"
shift
export QT_QPA_PLATFORM=offscreen
unset TACHYON_SIM_TRACE TACHYON_SIM_FAULTS TACHYON_SIM_SCENARIO
exec "$build_dir/bin/tachyon_bench" "$@"
