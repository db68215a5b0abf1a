#!/usr/bin/env bash
# Runs each libFuzzer harness of build/fuzz for SECONDS (default 20) from its
# seed corpus and prints its executions and coverage. New inputs go to a
# scratch folder; a crash leaves its reproducer in build/fuzz/crashes.
# Usage: tools/test/fuzz.sh [SECONDS]
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
seconds="${1:-20}"
crashes="$PWD/build/fuzz/crashes"
mkdir -p "$crashes"
status=0
for fuzzer in bank card_answers encoders native_host param_blocks seal; do
  scratch="$(mktemp -d)"
  log="$scratch/log"
  build/fuzz/tests/fuzz/korvaden_fuzz_$fuzzer -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$crashes/$fuzzer-" "$scratch" "tests/fuzz/corpus/$fuzzer" > "$log" 2>&1
  rc=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  cov="$(grep -o 'cov: [0-9]*' "$log" | tail -n1)"
  echo "$fuzzer: ${runs:-0} executions, ${cov:-cov: ?} edges, exit $rc"
  if [ "$rc" -ne 0 ]; then
    status=1
    tail -n 30 "$log"
  fi
  rm -rf "$scratch"
done
exit $status
