#!/usr/bin/env bash
# Throw-away network lab. Everything that broadcasts runs inside it, never in
# the machine's own network namespace.
#
# A finder namespace is joined by one veth pair per segment to a device
# namespace. Segment s is 10.77.<16*s>.0/20: the finder side is .1, devices
# are .10, .11, ... on the device side. The finder's default route goes
# through segment 1 only, since a limited broadcast needs a route to leave.
# Names carry the creating shell's pid, so parallel runs never collide, and
# every namespace is removed again, on failure and on INT/TERM too.
#
# Two other shapes of segment 1, for what a finder meets beyond one plain link:
#   --routed          segment 1 sits behind a router namespace that forwards:
#                     finder 10.78.0.1/24 -- 10.78.0.254 router 10.77.16.1 --
#                     devices. No broadcast reaches the devices; unicast does.
#   --shared-segment  the finder reaches segment 1 through two links bridged in
#                     the device namespace, with 10.77.16.1/20 and 10.77.16.2/20
#                     (wired and Wi-Fi on one LAN).
#
# Command line:
#   tools/netlab.sh run [--segments N] [--devices N] [--sim PATH]
#                       [--sim-args "ARGS"] [--no-sim] [--no-default-route]
#                       [--routed | --shared-segment] [--tidy] -- CMD [ARGS...]
#       Builds the lab, starts one simulator per device namespace, runs CMD in
#       the finder namespace, tears everything down and exits with CMD's
#       status (77 when namespaces cannot be made here). --tidy removes the
#       simulator logs when CMD succeeds; otherwise their folder is printed.
#   tools/netlab.sh sweep
#       Removes labs whose creating shell has died (e.g. after a SIGKILL).
#
# Library (source this file; functions return non-zero on failure):
#   lab_up [--segments N] [--devices N] [--no-default-route]
#          [--routed | --shared-segment]
#       Builds the lab (77: not possible here). Installs EXIT/INT/TERM traps
#       that call lab_down unless LAB_NO_TRAP=1.
#   lab_start_sim SEG [SIM ARGS...]
#       Starts a simulator in segment SEG's device namespace and waits until it
#       listens. Without --address/--addresses it plays all of the segment's
#       devices. Its log is $LAB_SIM_LOG (and appended to VELTRIN_LAB_SIM_LOGS).
#   lab_exec_finder CMD...     runs CMD in the finder namespace
#   lab_exec_device SEG CMD... runs CMD in segment SEG's device namespace
#   lab_device_addresses SEG   prints the segment's device addresses
#   lab_down                   stops the simulators, removes the namespaces
#
# Commands run in the lab see:
#   VELTRIN_LAB_DIR              folder of simulator logs
#   VELTRIN_LAB_SEGMENTS         number of segments
#   VELTRIN_LAB_FINDER_ADDRESSES finder address per segment, space-separated
#   VELTRIN_LAB_SHAPE            plain, routed or shared-segment
#   VELTRIN_LAB_SECOND_ADDRESS   shared-segment: the finder's second address
#   VELTRIN_LAB_DEVICES_<s>      device addresses of segment s, space-separated
#   VELTRIN_LAB_SIM_LOGS         simulator logs in start order, space-separated
#   VELTRIN_LAB_FINDER_NS, VELTRIN_LAB_DEVICE_NS_<s>  namespace names
#   VELTRIN_LAB_ROUTER_NS        routed: the router's namespace
#   VELTRIN_SIM, VELTRIN_NETLAB  the simulator binary and this script

LAB_SCRIPT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")"
LAB_PREFIX=vtlab
LAB_ID=""
LAB_SUDO=()
LAB_FINDER_NS=""
LAB_ROUTER_NS=""
LAB_SHAPE=plain
LAB_FINDER_ADDRS=()
LAB_DEVICE_NS=()
LAB_SEGMENTS=0
LAB_DEVICES=0
LAB_DIR=""
LAB_KEEP_DIR=${LAB_KEEP_DIR:-0}
LAB_SIM_PIDS=()
LAB_SIM_LOGS=()
LAB_SIM_LOG=""
LAB_SIM="${VELTRIN_SIM:-}"

_lab_say() { echo "netlab: $*" >&2; }

_lab_ip() { "${LAB_SUDO[@]}" ip "$@"; }

# Root, or root through a password-less sudo; 77 otherwise.
_lab_need_root() {
  if [ "$(id -u)" -eq 0 ]; then
    LAB_SUDO=()
  elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    LAB_SUDO=(sudo -n)
  else
    _lab_say "needs root (or password-less sudo) for network namespaces; skipping"
    return 77
  fi
  if ! command -v ip >/dev/null; then
    _lab_say "the ip tool (iproute2) is missing; skipping"
    return 77
  fi
}

# Sets variable $1 to the dotted address of segment $2's host number $3
# (no subshell: a lab may hold thousands of addresses).
_lab_addr_to() {
  local n=$(( (10 << 24) + (77 << 16) + (16 * $2 << 8) + $3 ))
  printf -v "$1" '%d.%d.%d.%d' $(( n >> 24 & 255 )) $(( n >> 16 & 255 )) $(( n >> 8 & 255 )) $(( n & 255 ))
}

_lab_addr() {
  local a
  _lab_addr_to a "$1" "$2"
  echo "$a"
}

lab_device_addresses() {
  local seg=$1 i a out=()
  for (( i = 0; i < LAB_DEVICES; i++ )); do
    _lab_addr_to a "$seg" $((10 + i))
    out+=("$a")
  done
  echo "${out[*]}"
}

_lab_remove_ns() {
  local ns=$1 pid tries
  local pids
  pids=$(_lab_ip netns pids "$ns" 2>/dev/null) || return 0
  # Only processes this lab started live in its namespaces.
  for pid in $pids; do "${LAB_SUDO[@]}" kill -TERM "$pid" 2>/dev/null || true; done
  for (( tries = 0; tries < 50; tries++ )); do
    if [ -z "$(_lab_ip netns pids "$ns" 2>/dev/null)" ]; then break; fi
    sleep 0.02
  done
  for pid in $(_lab_ip netns pids "$ns" 2>/dev/null); do "${LAB_SUDO[@]}" kill -KILL "$pid" 2>/dev/null || true; done
  _lab_ip netns del "$ns" 2>/dev/null || true
}

# Labs whose creating shell is gone cannot clean up after themselves.
lab_sweep() {
  local ns pid
  for ns in $(_lab_ip netns list 2>/dev/null | awk '{print $1}'); do
    if ! [[ $ns =~ ^${LAB_PREFIX}([0-9]+)- ]]; then continue; fi
    pid=${BASH_REMATCH[1]}
    if [ ! -d "/proc/$pid" ]; then
      _lab_say "removing stale namespace $ns"
      _lab_remove_ns "$ns"
    fi
  done
}

lab_down() {
  local pid ns
  if [ -z "$LAB_ID" ]; then return 0; fi
  for pid in "${LAB_SIM_PIDS[@]}"; do "${LAB_SUDO[@]}" kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${LAB_SIM_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  for ns in "${LAB_DEVICE_NS[@]}" "$LAB_ROUTER_NS" "$LAB_FINDER_NS"; do
    if [ -n "$ns" ]; then _lab_remove_ns "$ns"; fi
  done
  if [ -n "$LAB_DIR" ] && [ "$LAB_KEEP_DIR" = 0 ]; then
    rm -rf "$LAB_DIR"
  fi
  LAB_ID=""
  LAB_FINDER_NS=""
  LAB_ROUTER_NS=""
  LAB_FINDER_ADDRS=()
  LAB_DEVICE_NS=()
  LAB_SIM_PIDS=()
  LAB_SIM_LOGS=()
}

_lab_wait_link() {
  local ns=$1 dev=$2 tries
  for (( tries = 0; tries < 100; tries++ )); do
    if _lab_ip -n "$ns" -o link show "$dev" 2>/dev/null | grep -q LOWER_UP; then return 0; fi
    sleep 0.02
  done
  _lab_say "link $dev in $ns did not come up"
  return 1
}

# Segment s as one veth pair from the finder straight to its devices.
_lab_link_plain() {
  local s=$1 dev_ns=$2
  _lab_ip -n "$LAB_FINDER_NS" link add "vf$s" type veth peer name "vd$s" netns "$dev_ns" || return 1
  LAB_FINDER_ADDRS[s]=$(_lab_addr "$s" 1)
  _lab_ip -n "$LAB_FINDER_NS" addr add "${LAB_FINDER_ADDRS[s]}/20" dev "vf$s" || return 1
  _lab_ip -n "$dev_ns" link set "vd$s" up || return 1
  DEVICE_LINK="vd$s"
}

# Segment s behind a forwarding router: the finder's vf<s> is on a transit
# net, the router holds the segment's .1.
_lab_link_routed() {
  local s=$1 dev_ns=$2
  LAB_ROUTER_NS="$LAB_ID-r"
  _lab_ip netns add "$LAB_ROUTER_NS" || return 1
  _lab_ip -n "$LAB_ROUTER_NS" link set lo up || return 1
  _lab_ip -n "$LAB_FINDER_NS" link add "vf$s" type veth peer name vr0 netns "$LAB_ROUTER_NS" || return 1
  _lab_ip -n "$LAB_ROUTER_NS" link add vr1 type veth peer name "vd$s" netns "$dev_ns" || return 1
  LAB_FINDER_ADDRS[s]=10.78.0.1
  _lab_ip -n "$LAB_FINDER_NS" addr add 10.78.0.1/24 dev "vf$s" || return 1
  _lab_ip -n "$LAB_ROUTER_NS" addr add 10.78.0.254/24 dev vr0 || return 1
  _lab_ip -n "$LAB_ROUTER_NS" addr add "$(_lab_addr "$s" 1)/20" dev vr1 || return 1
  _lab_ip -n "$LAB_ROUTER_NS" link set vr0 up || return 1
  _lab_ip -n "$LAB_ROUTER_NS" link set vr1 up || return 1
  "${LAB_SUDO[@]}" ip netns exec "$LAB_ROUTER_NS" sysctl -q -w net.ipv4.ip_forward=1 || return 1
  _lab_ip -n "$dev_ns" link set "vd$s" up || return 1
  ROUTED_VIA=10.78.0.254
  DEVICE_LINK="vd$s"
  DEVICE_GATEWAY=$(_lab_addr "$s" 1)
}

# Segment s reached through two finder links, bridged on the device side.
_lab_link_shared() {
  local s=$1 dev_ns=$2 side
  _lab_ip -n "$dev_ns" link add "br$s" type bridge || return 1
  for side in "" b; do
    _lab_ip -n "$LAB_FINDER_NS" link add "vf$s$side" type veth peer name "vd$s$side" netns "$dev_ns" || return 1
    _lab_ip -n "$dev_ns" link set "vd$s$side" master "br$s" up || return 1
  done
  LAB_FINDER_ADDRS[s]=$(_lab_addr "$s" 1)
  _lab_ip -n "$LAB_FINDER_NS" addr add "${LAB_FINDER_ADDRS[s]}/20" dev "vf$s" || return 1
  _lab_ip -n "$LAB_FINDER_NS" addr add "$(_lab_addr "$s" 2)/20" dev "vf${s}b" || return 1
  _lab_ip -n "$LAB_FINDER_NS" link set "vf${s}b" up || return 1
  _lab_ip -n "$dev_ns" link set "br$s" up || return 1
  DEVICE_LINK="br$s"
}

_lab_build() {
  local default_route=$1 s dev_ns i a DEVICE_LINK DEVICE_GATEWAY ROUTED_VIA=""
  _lab_ip -n "$LAB_FINDER_NS" link set lo up || return 1
  for (( s = 1; s <= LAB_SEGMENTS; s++ )); do
    dev_ns="$LAB_ID-d$s"
    _lab_ip netns add "$dev_ns" || return 1
    LAB_DEVICE_NS[s]=$dev_ns
    _lab_ip -n "$dev_ns" link set lo up || return 1
    DEVICE_GATEWAY=""
    case "$s:$LAB_SHAPE" in
      1:routed) _lab_link_routed "$s" "$dev_ns" || return 1 ;;
      1:shared-segment) _lab_link_shared "$s" "$dev_ns" || return 1 ;;
      *) _lab_link_plain "$s" "$dev_ns" || return 1 ;;
    esac
    # One batch: thousands of addresses would take seconds one ip call each.
    for (( i = 0; i < LAB_DEVICES; i++ )); do
      _lab_addr_to a "$s" $((10 + i))
      echo "addr add $a/20 dev $DEVICE_LINK"
    done | _lab_ip -n "$dev_ns" -batch - || return 1
    if [ -n "$DEVICE_GATEWAY" ]; then
      _lab_ip -n "$dev_ns" route add default via "$DEVICE_GATEWAY" dev "$DEVICE_LINK" || return 1
    else
      _lab_ip -n "$dev_ns" route add default dev "$DEVICE_LINK" || return 1
    fi
    _lab_ip -n "$LAB_FINDER_NS" link set "vf$s" up || return 1
  done
  if [ "$default_route" = 1 ]; then
    if [ -n "$ROUTED_VIA" ]; then
      _lab_ip -n "$LAB_FINDER_NS" route add default via "$ROUTED_VIA" dev vf1 || return 1
    else
      _lab_ip -n "$LAB_FINDER_NS" route add default dev vf1 || return 1
    fi
  fi
  for (( s = 1; s <= LAB_SEGMENTS; s++ )); do
    _lab_wait_link "$LAB_FINDER_NS" "vf$s" || return 1
  done
  if [ "$LAB_SHAPE" = shared-segment ]; then
    _lab_wait_link "$LAB_FINDER_NS" vf1b || return 1
  fi
}

lab_up() {
  local segments=1 devices=3 default_route=1 shape=plain err
  while [ $# -gt 0 ]; do
    case $1 in
      --segments) segments=$2; shift 2 ;;
      --devices) devices=$2; shift 2 ;;
      --no-default-route) default_route=0; shift ;;
      --routed) shape=routed; shift ;;
      --shared-segment) shape=shared-segment; shift ;;
      *) _lab_say "lab_up: unknown option $1"; return 2 ;;
    esac
  done
  if ! [[ $segments =~ ^[1-8]$ ]]; then _lab_say "--segments must be 1..8"; return 2; fi
  if ! [[ $devices =~ ^[0-9]+$ ]] || [ "$devices" -gt 4000 ]; then
    _lab_say "--devices must be 0..4000"; return 2
  fi
  if [ -n "$LAB_ID" ]; then _lab_say "a lab is already up in this shell"; return 2; fi
  _lab_need_root || return $?
  lab_sweep

  LAB_SEGMENTS=$segments
  LAB_DEVICES=$devices
  LAB_SHAPE=$shape
  LAB_ID="$LAB_PREFIX$$-$RANDOM"
  LAB_FINDER_NS="$LAB_ID-f"
  if ! err=$(_lab_ip netns add "$LAB_FINDER_NS" 2>&1); then
    _lab_say "cannot create network namespaces here ($err); skipping"
    LAB_ID=""
    return 77
  fi
  if [ "${LAB_NO_TRAP:-0}" != 1 ]; then
    trap 'lab_down' EXIT
    trap 'lab_down; exit 130' INT
    trap 'lab_down; exit 143' TERM
  fi
  LAB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/veltrin-lab.XXXXXX") || { lab_down; return 1; }
  chmod 755 "$LAB_DIR"
  if ! _lab_build "$default_route"; then
    _lab_say "building the lab failed"
    lab_down
    return 1
  fi
}

_lab_env() {
  local s
  LAB_ENV=(
    VELTRIN_LAB_DIR="$LAB_DIR"
    VELTRIN_LAB_SEGMENTS="$LAB_SEGMENTS"
    VELTRIN_LAB_FINDER_NS="$LAB_FINDER_NS"
    VELTRIN_LAB_ROUTER_NS="$LAB_ROUTER_NS"
    VELTRIN_LAB_SHAPE="$LAB_SHAPE"
    VELTRIN_LAB_SIM_LOGS="${LAB_SIM_LOGS[*]}"
    VELTRIN_SIM="$LAB_SIM"
    VELTRIN_NETLAB="$LAB_SCRIPT"
  )
  local finders=()
  if [ "$LAB_SHAPE" = shared-segment ]; then
    LAB_ENV+=("VELTRIN_LAB_SECOND_ADDRESS=$(_lab_addr 1 2)")
  fi
  for (( s = 1; s <= LAB_SEGMENTS; s++ )); do
    finders+=("${LAB_FINDER_ADDRS[s]}")
    LAB_ENV+=("VELTRIN_LAB_DEVICES_$s=$(lab_device_addresses "$s")" "VELTRIN_LAB_DEVICE_NS_$s=${LAB_DEVICE_NS[s]}")
  done
  LAB_ENV+=("VELTRIN_LAB_FINDER_ADDRESSES=${finders[*]}")
}

lab_exec_finder() {
  [ -n "$LAB_ID" ] || { _lab_say "no lab is up"; return 2; }
  _lab_env
  _lab_ip netns exec "$LAB_FINDER_NS" env "${LAB_ENV[@]}" "$@"
}

lab_exec_device() {
  local seg=$1; shift
  [ -n "${LAB_DEVICE_NS[seg]:-}" ] || { _lab_say "no device segment $seg"; return 2; }
  _lab_env
  _lab_ip netns exec "${LAB_DEVICE_NS[seg]}" env "${LAB_ENV[@]}" "$@"
}

_lab_find_sim() {
  if [ -n "$LAB_SIM" ]; then return 0; fi
  local root candidate
  root="$(dirname "$(dirname "$LAB_SCRIPT")")"
  candidate=$(ls -t "$root"/build*/tools/device_simulator/veltrin-device-sim 2>/dev/null | head -n 1)
  LAB_SIM=$candidate
  [ -n "$LAB_SIM" ]
}

lab_start_sim() {
  local seg=$1; shift
  local ns=${LAB_DEVICE_NS[seg]:-} n=${#LAB_SIM_PIDS[@]} arg pid tries
  [ -n "$ns" ] || { _lab_say "no device segment $seg"; return 2; }
  _lab_find_sim || { _lab_say "veltrin-device-sim not found; build it or pass --sim"; return 2; }
  local base="$LAB_DIR/sim-$seg-$n" addresses=()
  if [ "$LAB_DEVICES" -gt 0 ]; then
    addresses=(--addresses "$(_lab_addr "$seg" 10)+$LAB_DEVICES")
  fi
  for arg in "$@"; do
    if [[ $arg == --address || $arg == --addresses ]]; then addresses=(); fi
  done
  _lab_ip netns exec "$ns" "$LAB_SIM" "${addresses[@]}" --log "$base.log" --ready-file "$base.ready" \
    --exit-with-parent --quiet "$@" >"$base.out" 2>&1 &
  pid=$!
  for (( tries = 0; tries < 250; tries++ )); do
    if [ -e "$base.ready" ]; then break; fi
    if ! kill -0 "$pid" 2>/dev/null; then
      _lab_say "simulator in segment $seg failed: $(cat "$base.out")"
      return 1
    fi
    sleep 0.02
  done
  [ -e "$base.ready" ] || { _lab_say "simulator in segment $seg did not start"; return 1; }
  LAB_SIM_PIDS+=("$pid")
  LAB_SIM_LOGS+=("$base.log")
  LAB_SIM_LOG="$base.log"
}

_lab_run() {
  local segments=1 devices=3 sims=1 tidy=0 route=() shape=() sim_args_text="" s rc
  while [ $# -gt 0 ]; do
    case $1 in
      --segments) segments=$2; shift 2 ;;
      --devices) devices=$2; shift 2 ;;
      --sim) LAB_SIM=$2; shift 2 ;;
      --sim-args) sim_args_text=$2; shift 2 ;;
      --no-sim) sims=0; shift ;;
      --no-default-route) route=(--no-default-route); shift ;;
      --routed|--shared-segment) shape=("$1"); shift ;;
      --tidy) tidy=1; shift ;;
      --) shift; break ;;
      *) _lab_say "unknown option $1"; return 2 ;;
    esac
  done
  [ $# -gt 0 ] || { _lab_say "run needs -- CMD"; return 2; }
  LAB_KEEP_DIR=1
  # Shell words, so a description with spaces can be quoted.
  local sim_args=()
  eval "sim_args=($sim_args_text)" || return 2

  lab_up --segments "$segments" --devices "$devices" "${route[@]}" "${shape[@]}" || return $?
  if [ "$sims" = 1 ]; then
    for (( s = 1; s <= segments; s++ )); do
      lab_start_sim "$s" "${sim_args[@]}" || return 1
    done
  fi
  # In the background, so INT/TERM reach the trap at once rather than after CMD.
  lab_exec_finder "$@" <&0 &
  wait $!
  rc=$?
  if [ $rc -eq 0 ] && [ "$tidy" = 1 ]; then
    LAB_KEEP_DIR=0
  else
    _lab_say "simulator logs: $LAB_DIR"
  fi
  return $rc
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case ${1:-} in
    run) shift; _lab_run "$@"; exit $? ;;
    sweep) _lab_need_root || exit $?; lab_sweep; exit 0 ;;
    *) sed -n '2,/^$/p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
  esac
fi
