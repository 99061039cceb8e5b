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
LAB_SIM=$sim

# One segment per device, so each simulator plays one device with its own
# fields; the finder sends its broadcast on every segment.
lab_up --segments 5 --devices 1 || exit $?
lab_start_sim 1 --mac 00-1A-2B-3C-4D-01 --sw-version 2.4.1 --serial 202311070001 --description "Front gate" &&
lab_start_sim 2 --mac 00-1A-2B-3C-4D-02 --sw-version 2.4.1 --serial 202311070002 --description "前门门口机" &&
lab_start_sim 3 --mac 00-1A-2B-3C-4D-03 --sw-version 2.3.9 --serial 202305120417 --description "Garage entrance" &&
lab_start_sim 4 --mac 00-1A-2B-3C-4D-04 --sw-version 3.0.0 --serial 202402200033 --description "Building B lobby" &&
lab_start_sim 5 --mac 00-1A-2B-3C-4D-05 --sw-version 2.4.1 --serial 202311070015 --description "Parcel room" ||
  exit 1

say "five simulated door phones are up; close the finder's window to end the demo"
display=(DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb)
[ -n "${XAUTHORITY:-}" ] && display+=(XAUTHORITY="$XAUTHORITY")
lab_exec_finder env "${display[@]}" "$finder"
