#!/usr/bin/env bash
# Runs every libFuzzer harness of a fuzz build over its corpus.
#   tools/fuzz.sh BUILD_FOLDER RUNS SECONDS
# RUNS executions per harness, each harness stopped after SECONDS (0: no limit).
# Inputs the fuzzer finds go to BUILD_FOLDER/corpus/<harness>, a finding to
# BUILD_FOLDER/artifacts/; fuzz/corpus stays as committed. Fails on the first
# finding (a crash, a hang, a sanitizer report or a broken invariant).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build folder}
runs=${2:-20000}
seconds=${3:-60}

for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  harness="$build/fuzz/${name}_fuzz"
  [ -x "$harness" ] || { echo "no harness $harness" >&2; exit 1; }
  mkdir -p "$build/corpus/$name" "$build/artifacts"
  echo "== $name: $runs runs, at most ${seconds}s"
  # A slow input (10 s) counts as a hang.
  if ! "$harness" -runs="$runs" -max_total_time="$seconds" -timeout=10 -print_final_stats=0 \
      -artifact_prefix="$build/artifacts/$name-" "$build/corpus/$name" "$corpus" >"$build/$name.log" 2>&1; then
    tail -n 40 "$build/$name.log" >&2
    echo "fuzzer $name found a problem; the input is in $build/artifacts/" >&2
    exit 1
  fi
  grep -E '^Done|^#[0-9]+ +DONE' "$build/$name.log" | tail -n 1 || true
done
