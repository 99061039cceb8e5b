#!/usr/bin/env bash
# The finder's benchmark: builds a throw-away network lab (tools/netlab.sh)
# with 4000 device addresses on one segment, runs veltrin-bench in its
# finder namespace and prints one table. Needs root (or password-less sudo)
# for the namespaces; nothing is sent outside the lab, which is removed on
# any exit. The bench sets net.core.rmem_max to the stock 212,992 for part
# of its run; the value found here is put back on any exit, Ctrl+C included.
#
#   bash bench/run.sh [BUILD_DIR]     (default: build-bench)
#
# Exit status: 0 all targets met, 1 a target missed, 2 the benchmark failed,
# 77 network namespaces cannot be made here.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-build-bench}"
[[ $build = /* ]] || build="$root/$build"
programs=("$build/finder/veltrin-finder" "$build/tools/device_simulator/veltrin-device-sim"
          "$build/bench/veltrin-bench-receiver")
for program in "$build/bench/veltrin-bench" "${programs[@]}"; do
  if [ ! -x "$program" ]; then
    echo "bench: $program is missing; build first (make bench)" >&2
    exit 2
  fi
done

limit=/proc/sys/net/core/rmem_max
original=$(cat "$limit")
restore() { if [ "$(cat "$limit")" != "$original" ]; then echo "$original" > "$limit"; fi; }

# shellcheck source=../tools/netlab.sh
source "$root/tools/netlab.sh"
LAB_NO_TRAP=1 lab_up --segments 1 --devices 4000 || exit $?
trap 'restore; lab_down' EXIT
trap 'restore; lab_down; exit 130' INT
trap 'restore; lab_down; exit 143' TERM

# The setting is read-only inside a network namespace; a descriptor opened
# out here still writes it.
exec {limit_fd}>"$limit"
lab_exec_finder env QT_QPA_PLATFORM=offscreen VELTRIN_RMEM_MAX_FD="$limit_fd" \
  "$build/bench/veltrin-bench" "${programs[@]}" &
wait $!
