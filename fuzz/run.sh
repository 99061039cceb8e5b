#!/usr/bin/env bash
# Runs each fuzz target for a bounded time, one after the other, on a scratch
# copy of its seed corpus (the corpus in the repo is not changed). A finding
# fails the run; its input is kept in BUILD/fuzz/artifacts/<target>/.
#
#   fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET]    (default 30)
#
# BUILD_DIR is configured with clang and -DVELTRIN_FUZZ=ON. The datagram-path
# target sends on 127.0.0.1 only.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET]}"
seconds="${2:-30}"

# target:max_len. Formatter values are short; the others need room for
# keys past character 32767 and for the largest UDP payload.
targets=(parse_reply:65507 format_pattern:4096 datagram_path:65507 target_addresses:512 site_plan:8192)

work="$(mktemp -d "${TMPDIR:-/tmp}/veltrin-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT

status=0
for entry in "${targets[@]}"; do
  target="${entry%%:*}"
  max_len="${entry##*:}"
  binary="$build/fuzz/fuzz_$target"
  artifacts="$build/fuzz/artifacts/$target"
  log="$work/$target.log"
  mkdir -p "$work/$target" "$artifacts"
  if "$binary" -dict="$here/keys.dict" -max_len="$max_len" -max_total_time="$seconds" \
       -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$artifacts/" \
       "$work/$target" "$here/corpus/$target" >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
    echo "fuzz_$target: ${runs:-?} runs in ${seconds}s (${rate:-?}/s), no finding"
  else
    status=1
    echo "fuzz_$target: FINDING (input kept in $artifacts/)" >&2
    tail -n 60 "$log" >&2
  fi
done
exit "$status"
