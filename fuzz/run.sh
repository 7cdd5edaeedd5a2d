#!/usr/bin/env bash
# Builds the profile reader's fuzzer with clang and runs it for a bounded time from the seed
# corpus of real profiles. Usage: fuzz/run.sh [build folder] [seconds]
# New inputs the fuzzer finds are kept in <build folder>/corpus, so a later run goes on from them;
# a crashing input is written to <build folder>/crash-* and the run fails.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")" && pwd)"
build_dir="${1:-build-fuzz}"
seconds="${2:-60}"

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ > /dev/null
cmake --build "$build_dir"
mkdir -p "$build_dir/corpus"

log="$build_dir/last-run.log"
status=0
"$build_dir/profile_reader_fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -dict="$source_dir/profile.dict" -artifact_prefix="$build_dir/" -print_final_stats=1 \
  "$build_dir/corpus" "$source_dir/corpus" > "$log" 2>&1 || status=$?

executions="$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 executions in \2 s/p' "$log")"
if [ "$status" -ne 0 ] || [ -z "$executions" ]; then
  tail -n 60 "$log"
  echo "[ figures  ] fuzz: the profile reader failed (exit $status); see $log" >&2
  exit 1
fi
echo "[ figures  ] fuzz: profile reader, $executions, 0 crashes"
