#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzzers with clang and runs each for a bounded time: the profile reader from the seed
# corpus of real profiles, then the amdgpu runtime's kernel text readers from their seed corpus
# (and the real-card captures in ../shared/fixtures/amdgpu when that folder is there), then the
# drirc reader of the user's Mesa settings. The time is split between them: a third each, the
# profile reader taking what does not divide. Usage: fuzz/run.sh [build folder] [seconds]
# TACHYON_WERROR=ON fails the build on a compiler warning (make test sets it).
# FUZZ_RUNS=<n> runs every fuzzer for n inputs instead (make fuzz-long: 10 million each).
# New inputs the fuzzers find are kept in <build folder>/corpus, <build folder>/corpus-kernel-text
# and <build folder>/corpus-drirc, so a later run goes on from them; a crashing input is written to
# <build folder>/crash-* and the run fails.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")" && pwd)"
build_dir="${1:-build-fuzz}"
seconds="${2:-60}"
share=$(( seconds / 3 > 0 ? seconds / 3 : 1 ))
kernel_seconds=$share
drirc_seconds=$share
profile_seconds=$(( seconds - 2 * share > 0 ? seconds - 2 * share : 1 ))

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DTACHYON_WERROR="${TACHYON_WERROR:-OFF}" > /dev/null
cmake --build "$build_dir"
mkdir -p "$build_dir/corpus" "$build_dir/corpus-kernel-text" "$build_dir/corpus-drirc"

# run <name> <log> <fuzzer and arguments...>: prints the figures line, or the log's end and fails.
# With FUZZ_RUNS set (make fuzz-long), each fuzzer runs that many inputs instead of its time.
run() {
  local name="$1" log="$2"
  shift 2
  local args=() arg
  for arg in "$@"; do
    if [ -n "${FUZZ_RUNS:-}" ] && [[ "$arg" == -max_total_time=* ]]; then arg="-runs=$FUZZ_RUNS"; fi
    args+=("$arg")
  done
  local status=0
  "${args[@]}" > "$log" 2>&1 || status=$?
  local executions
  executions="$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 executions in \2 s/p' "$log")"
  if [ "$status" -ne 0 ] || [ -z "$executions" ]; then
    tail -n 60 "$log"
    echo "[ figures  ] fuzz: the $name failed (exit $status); see $log" >&2
    exit 1
  fi
  echo "[ figures  ] fuzz: $name, $executions, 0 crashes"
}

run "profile reader" "$build_dir/last-run.log" \
  "$build_dir/profile_reader_fuzzer" -max_total_time="$profile_seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -dict="$source_dir/profile.dict" -artifact_prefix="$build_dir/" -print_final_stats=1 \
  "$build_dir/corpus" "$source_dir/corpus"

captures=()
captures_dir="$source_dir/../../shared/fixtures/amdgpu"
if [ -d "$captures_dir" ]; then captures=("$captures_dir"); fi
run "kernel text readers" "$build_dir/last-run-kernel-text.log" \
  "$build_dir/kernel_text_fuzzer" -max_total_time="$kernel_seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -dict="$source_dir/kernel-text.dict" -artifact_prefix="$build_dir/" -print_final_stats=1 \
  "$build_dir/corpus-kernel-text" "$source_dir/corpus-kernel-text" "${captures[@]}"

run "drirc reader" "$build_dir/last-run-drirc.log" \
  "$build_dir/drirc_fuzzer" -max_total_time="$drirc_seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -dict="$source_dir/drirc.dict" -artifact_prefix="$build_dir/" -print_final_stats=1 \
  "$build_dir/corpus-drirc" "$source_dir/corpus-drirc"
