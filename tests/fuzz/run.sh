#!/usr/bin/env bash
# Builds the fuzz preset, replays every seed corpus, then fuzzes each target
# for FUZZ_SECONDS (default 60), FUZZ_JOBS targets at a time (default 2).
# What the fuzzer finds goes to build/fuzz/corpus/<target>; an input that
# crashes, trips a sanitizer, breaks a checked property or hangs is saved
# under build/fuzz/artifacts/ and fails the run.  Arguments: the targets to
# run (default: every target with a seed corpus).
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-2}
build=build/fuzz
bin=$build/tests/fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for dir in tests/fuzz/corpus/*/; do
    name=$(basename "$dir")
    [ -x "$bin/fuzz_$name" ] && targets+=("$name")
  done
fi
mkdir -p "$build/artifacts"

fuzz_one() {
  local name=$1
  mkdir -p "$build/corpus/$name"
  # -timeout: one input running longer is a hang; the outer timeout guards
  # against the fuzzer itself not ending.
  timeout $((seconds + 120)) "$bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
    "$build/corpus/$name" "tests/fuzz/corpus/$name" >"$build/$name.log" 2>&1
}

status=0
declare -A pids=()
report() {
  local name=$1 rc=$2
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log" | tail -1)
  if [ "$rc" -eq 0 ]; then
    echo "fuzz $name: clean, ${runs:-?} inputs in ${seconds}s"
  else
    echo "fuzz $name: FAILED (exit $rc); the input is in $build/artifacts/; the end of $build/$name.log:"
    grep -v '^#[0-9]' "$build/$name.log" | tail -40
    status=1
  fi
}
for name in "${targets[@]}"; do
  while [ "${#pids[@]}" -ge "$jobs" ]; do
    wait -n || true
    for running in "${!pids[@]}"; do
      if ! kill -0 "${pids[$running]}" 2>/dev/null; then
        rc=0; wait "${pids[$running]}" || rc=$?
        report "$running" "$rc"
        unset "pids[$running]"
      fi
    done
  done
  fuzz_one "$name" &
  pids[$name]=$!
done
for running in "${!pids[@]}"; do
  rc=0; wait "${pids[$running]}" || rc=$?
  report "$running" "$rc"
done
exit $status
