#!/usr/bin/env bash
# Runs the benchmarks by hand (they are not timed tests): the native Google Benchmark exe, then the
# timed runs under Wine. Each figure is read as a ratio to its baseline in the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target vam_bench
build/native/vam_bench "$@"

# Further benchmarks: one clearly separated block each, below this line.
