#!/usr/bin/env bash
# Peak memory and time of reading a site plan (--expect) of hostile and of
# large honest shapes: one line of 30 MB of commas, a header of 3 million
# columns, one 30 MB field, 32,767 planned devices. Each run is
# `veltrin-finder-cli --list --wait 0 --expect FILE` in a network namespace
# of its own (unshare -n: nothing can leave it), measured by /usr/bin/time.
# Prints one table; the target is a peak within a few times the file's size.
#
#   bash bench/plan_memory.sh [CLI]     (default: build-bench/finder/veltrin-finder-cli)
#
# Exit status: 0 all targets met, 1 a target missed, 2 the benchmark failed.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${1:-$root/build-bench/finder/veltrin-finder-cli}"
if [ ! -x "$cli" ]; then
  echo "plan bench: $cli is missing; build first" >&2
  exit 2
fi
if [ ! -x /usr/bin/time ]; then
  echo "plan bench: /usr/bin/time is missing (scripts/install-deps.sh bench)" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The process's own start-up (Qt, the locale) before any plan.
baseline_kb=40000
ratio=4

python3 - "$work" <<'EOF'
import sys
work = sys.argv[1]
with open(f"{work}/commas.csv", "w") as f:
    f.write("," * 30_000_000)
with open(f"{work}/columns.csv", "w") as f:
    f.write("mac," + ",".join(f"c{i}" for i in range(3_000_000)) + "\n02-00-00-00-00-01\n")
with open(f"{work}/field.csv", "w") as f:
    f.write("mac,name\n02-00-00-00-00-01,\"" + "x" * 30_000_000 + "\"\n")
with open(f"{work}/stations.csv", "w") as f:
    f.write("Name;MAC-Adresse;Seriennummer;IP-Adresse;FW Version;Bemerkung\n")
    for i in range(32767):
        f.write(f"Wohnung {i};02-00-00-{i >> 16:02X}-{(i >> 8) & 255:02X}-{i & 255:02X};"
                f"{2303150000 + i};10.{i >> 16}.{(i >> 8) & 255}.{i & 255};v2.4.1;Treppenhaus links\n")
EOF

missed=0
printf '%-14s %10s %12s %9s %6s %s\n' plan "size MB" "peak MB" seconds status target
for plan in commas columns field stations; do
  file="$work/$plan.csv"
  size_kb=$(( $(stat -c %s "$file") / 1024 ))
  unshare -n /usr/bin/time -v -o "$work/time" env QT_QPA_PLATFORM=offscreen \
    "$cli" --list --wait 0 --expect "$file" >/dev/null 2>"$work/err"
  status=$?
  peak_kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time")
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$work/time")
  if [ -z "$peak_kb" ]; then
    echo "plan bench: no measurement for $plan: $(cat "$work/err" "$work/time")" >&2
    exit 2
  fi
  limit_kb=$(( baseline_kb + ratio * size_kb ))
  verdict="met (<= $(( limit_kb / 1024 )) MB)"
  if [ "$peak_kb" -gt "$limit_kb" ]; then
    verdict="MISSED (> $(( limit_kb / 1024 )) MB)"
    missed=1
  fi
  awk -v p="$plan" -v s="$size_kb" -v m="$peak_kb" -v w="$wall" -v r="$status" -v v="$verdict" \
    'BEGIN { printf "%-14s %10.1f %12.1f %9s %6s %s\n", p, s / 1024, m / 1024, w, r, v }'
  printf '    %s\n' "$(head -c 200 "$work/err" | head -n 1)"
done
exit $missed
