#!/usr/bin/env bash
# Runs every fuzz target (tests/fuzz, built with the `fuzz` preset) for SECONDS each, one after
# another, starting from the seeds in tests/fuzz/corpus, and ends with a summary of executions,
# coverage (libFuzzer's cov and ft) and findings per target. Exits non-zero on any finding.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]   e.g. bash scripts/fuzz.sh 600 detect find
#
# SECONDS defaults to 180. With FUZZ_RUNS=N set, each target runs N executions instead. New inputs
# go to OUT/corpus/TARGET (the seeds in the tree stay as they are), a finding to OUT/findings/ and
# each log to OUT/logs/, where OUT is $FUZZ_OUT or build/fuzz/out. Reproduce a finding with
# build/fuzz/fuzz_TARGET OUT/findings/FILE.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

seconds="${1:-180}"
shift $(($# > 0 ? 1 : 0))
bash scripts/setup.sh --no-prefix || { echo "fuzz: setup failed" >&2; exit 1; }
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "$(nproc)" >/dev/null ||
  { echo "fuzz: build failed" >&2; exit 1; }

targets=("$@")
if ((${#targets[@]} == 0)); then
  for binary in build/fuzz/fuzz_*; do
    [ -x "$binary" ] && targets+=("${binary#build/fuzz/fuzz_}")
  done
fi

out="${FUZZ_OUT:-build/fuzz/out}"
mkdir -p "$out/findings" "$out/logs"
status=0
summary=()
for name in "${targets[@]}"; do
  binary="build/fuzz/fuzz_$name"
  [ -x "$binary" ] || { summary+=("$(printf '%-10s no such target' "$name")"); status=1; continue; }
  work="$out/corpus/$name"
  log="$out/logs/$name.log"
  mkdir -p "$work"
  if [ -n "${FUZZ_RUNS:-}" ]; then
    limit=(-runs="$FUZZ_RUNS")
    echo "==== fuzz $name ($FUZZ_RUNS runs)"
  else
    limit=(-max_total_time="$seconds")
    echo "==== fuzz $name ($seconds s)"
  fi
  before="$(ls "$out/findings" | wc -l)"
  nice -n 10 "$binary" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/findings/$name-" "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1
  rc=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  found=$(($(ls "$out/findings" | wc -l) - before))
  if ((rc != 0 || found > 0)); then
    status=1
    verdict="FINDING (see $log)"
    grep -m 3 -E 'check failed|ERROR|SUMMARY' "$log" | sed 's/^/    /'
  else
    verdict="no finding"
  fi
  summary+=("$(printf '%-10s %12s runs  cov %5s  ft %6s  %s' "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$verdict")")
done

echo
echo "==== fuzz summary"
printf '%s\n' "${summary[@]}"
exit "$status"
