#!/usr/bin/env bash
# The finder's benchmark: builds a throw-away network lab (tools/netlab.sh)
# with 4000 device addresses on one segment, runs veltrin-bench in its finder
# namespace and prints one table. Needs root (or password-less sudo) for the
# namespaces; nothing is sent outside the lab, which is removed on any exit.
#
#   bash bench/run.sh [BUILD_DIR]     (default: build)
#
# Exit status: 0 all targets met, 1 a target missed, 2 the benchmark failed,
# 77 network namespaces cannot be made here.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-build}"
[[ $build = /* ]] || build="$root/$build"
bench="$build/bench"
for program in "$bench/veltrin-bench" "$bench/veltrin-bench-sender" "$bench/veltrin-bench-receiver" \
               "$build/finder/veltrin-finder"; do
  if [ ! -x "$program" ]; then
    echo "bench: $program is missing; build first (make build)" >&2
    exit 2
  fi
done

# shellcheck source=../tools/netlab.sh
source "$root/tools/netlab.sh"
lab_up --segments 1 --devices 4000 || exit $?

# The finder under test, not the bench, sets the scene: no simulator
# answers, every datagram comes from the sender.
lab_exec_finder env QT_QPA_PLATFORM=offscreen "$bench/veltrin-bench" \
  --finder "$build/finder/veltrin-finder" \
  --sender "$bench/veltrin-bench-sender" \
  --receiver "$bench/veltrin-bench-receiver" &
wait $!
