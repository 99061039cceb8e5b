#!/usr/bin/env bash
# Shows the finder at work without any device: five simulated door phones in
# a throw-away network lab (tools/netlab.sh), the finder inside the lab on
# your display. The broadcast never leaves the lab; the lab is removed when
# the finder's window closes, or on Ctrl+C.
#
#   tools/demo.sh FINDER SIMULATOR      (as root, for the network namespaces)
#
# The X display is reached through its unix socket in /tmp/.X11-unix, which a
# network namespace does not hide; pass DISPLAY and XAUTHORITY through sudo.
set -uo pipefail

finder=${1:?usage: demo.sh FINDER SIMULATOR}
sim=${2:?usage: demo.sh FINDER SIMULATOR}
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

say() { echo "demo: $*" >&2; }

if [ -z "${DISPLAY:-}" ]; then
  say "no display: run it from a desktop session (DISPLAY is not set)"
  exit 1
fi
if [[ ${DISPLAY%%:*} != "" && ${DISPLAY%%:*} != unix ]]; then
  # A TCP display, e.g. one forwarded by ssh, is on the host's loopback,
  # which the lab's namespace cannot reach.
  say "DISPLAY=$DISPLAY is a network display, which the lab cannot reach; use a local one"
  exit 1
fi
for file in "$finder" "$sim"; do
  [ -x "$file" ] || { say "$file is missing: build first (make build)"; exit 1; }
done

# shellcheck source=../tools/netlab.sh
source "$root/tools/netlab.sh"
# shellcheck source=../tools/demo_site.sh
source "$root/tools/demo_site.sh"
LAB_SIM=$sim

# One segment per device, so each simulator plays one device with its own
# fields; the finder sends its broadcast on every segment.
demo_site_up || exit $?

say "five simulated door phones are up; close the finder's window to end the demo"
display=(DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb)
[ -n "${XAUTHORITY:-}" ] && display+=(XAUTHORITY="$XAUTHORITY")
lab_exec_finder env "${display[@]}" "$finder"
