#!/usr/bin/env bash
# The scheduled scan under a real systemd: a Debian root booted by
# systemd-nspawn with systemd as PID 1, the veltrin-finder-cli package of
# BUILD installed in it with Debian's node exporter, its network a lab
# (tools/netlab.sh) with two simulated devices on vf1 and a firewall that
# refuses sends on vf2. Checks, and prints as a transcript: the scan's
# capabilities, scheduling and sandbox, its warnings in the journal, the
# metrics node exporter serves, and a scan every minute once the timer is on.
# Root only; run by `make test-systemd`, not by `make test` (two minutes a
# release). The first run per release builds a base root with debootstrap
# (network, a few minutes) and keeps it as /var/tmp/veltrin-systemd-RELEASE.tar.
#
# usage: test_scan_under_systemd.sh BUILD [RELEASE...]   (default: bookworm)
set -u

BUILD=$(realpath "$1")
shift
RELEASES=("$@")
[ ${#RELEASES[@]} -gt 0 ] || RELEASES=(bookworm)
# The newest package, should older versions lie beside it.
# shellcheck disable=SC2012 # cpack's names are plain
DEB=$(ls -t "$BUILD"/veltrin-finder-cli_*.deb 2>/dev/null | head -n 1)
export VELTRIN_SIM=$BUILD/tools/device_simulator/veltrin-device-sim
[ -f "$DEB" ] || { echo "no veltrin-finder-cli package in $BUILD (cpack -G DEB)" >&2; exit 2; }
[ -x "$VELTRIN_SIM" ] || { echo "no $VELTRIN_SIM (VELTRIN_TOOLS=ON)" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "needs root" >&2; exit 2; }
for tool in systemd-nspawn debootstrap nft curl; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/install-deps.sh systemd" >&2; exit 2; }
done

# shellcheck disable=SC2034 # read by netlab.sh: this script's trap tears the lab down
LAB_NO_TRAP=1
# shellcheck source=../../tools/netlab.sh
source "$(dirname "$0")/../../tools/netlab.sh"

ROOT='' NSPAWN='' LEADER=''
FAILURES=0
SCAN_USER=veltrin-finder-scan
TEXTFILE=/var/lib/prometheus/node-exporter/veltrin.prom
SETTINGS=/etc/default/veltrin-finder-scan

say() { printf '%s\n' "$*"; }
fail() { say "FAIL [$REL]: $*"; FAILURES=$((FAILURES + 1)); }

# Powers the container off (killing it after 20 s), then removes its root
# and the lab.
down() {
  if [ -n "$NSPAWN" ] && kill -0 "$NSPAWN" 2>/dev/null; then
    [ -n "$LEADER" ] && kill -RTMIN+4 "$LEADER" 2>/dev/null   # systemd: poweroff
    for _ in $(seq 200); do kill -0 "$NSPAWN" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$NSPAWN" 2>/dev/null
    wait "$NSPAWN" 2>/dev/null
  fi
  NSPAWN='' LEADER=''
  lab_down
  if [ -n "$ROOT" ]; then
    grep -F " $ROOT" /proc/mounts | awk '{print $2}' | sort -r | xargs -r -n 1 umount -l
    rm -rf "$ROOT"
  fi
  ROOT=
}
trap 'exit 130' INT
trap 'exit 143' TERM

# Runs a command inside the booted container, as root.
in_box() {
  nsenter -t "$LEADER" -a env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"
}

# A release's base: systemd, node exporter and what the package needs,
# installed with the machine's network before anything boots.
base_root() {
  local base=/var/tmp/veltrin-systemd-$REL.tar log=/var/tmp/veltrin-systemd-$REL.log mirror depends
  if [ -f "$base" ]; then
    tar -C "$ROOT" -xf "$base"
    return
  fi
  mirror=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null)
  [ -n "$mirror" ] || mirror=$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list 2>/dev/null)
  [ -n "$mirror" ] || mirror=http://deb.debian.org/debian
  # The package's own dependencies, without versions or alternatives; apt,
  # not debootstrap, finds what provides a renamed one (libqt6core6t64).
  depends=$(dpkg-deb -f "$DEB" Depends | tr ',' '\n' | sed -E 's/[(|].*//; s/ //g' | grep .)
  say "building the $REL base root (log: $log)"
  debootstrap --variant=minbase --include=systemd,systemd-sysv,dbus,iproute2,acl,prometheus-node-exporter \
    "$REL" "$ROOT" "$mirror" >"$log" 2>&1 || return 1
  # shellcheck disable=SC2086 # one word per package
  chroot "$ROOT" apt-get install -y --no-install-recommends $depends >>"$log" 2>&1 || return 1
  rm -rf "$ROOT"/var/cache/apt/archives/*.deb
  tar -C "$ROOT" -cf "$base" .
}

boot() {
  ROOT=$(mktemp -d /var/tmp/veltrin-systemd-root.XXXXXX)
  base_root || { say "the $REL base root could not be made: see /var/tmp/veltrin-systemd-$REL.log"; return 1; }
  chmod 755 "$ROOT"   # mktemp's 0700 would shut every other user out of /
  cp "$DEB" "$ROOT/root/"
  # A host with no systemd of its own: the container keeps nspawn's cgroup
  # and is registered nowhere.
  systemd-nspawn -D "$ROOT" --machine="veltrin-$REL" --boot --register=no --keep-unit \
    --network-namespace-path="/run/netns/$LAB_FINDER_NS" --console=passive >"$WORK/nspawn.log" 2>&1 &
  NSPAWN=$!
  for _ in $(seq 100); do
    LEADER=$(pgrep -P "$NSPAWN" -x systemd | head -n 1)
    [ -n "$LEADER" ] && break
    sleep 0.1
  done
  [ -n "$LEADER" ] || { say "no systemd in the container:"; cat "$WORK/nspawn.log"; return 1; }
  for _ in $(seq 100); do in_box test -S /run/systemd/private && break; sleep 0.1; done
  local state
  state=$(in_box timeout 60 systemctl is-system-running --wait)
  # shellcheck disable=SC2016 # expanded in the container
  say "booted $(in_box sh -c '. /etc/os-release; echo "$PRETTY_NAME"'), systemd $(in_box systemctl --version | awk 'NR==1{print $2}') as PID 1: $state"
  [ "$state" = running ] || { fail "the container is $state"; in_box systemctl --failed --no-pager; }
}

# The service's properties that the checks below rely on.
show() { in_box systemctl show veltrin-finder-scan.service -p "$1" --value; }

# Starts one scan and reads the running process: capabilities, the reader
# thread's time slice (100 µs when its scheduling call got through the
# filter, the kernel's default otherwise) and how /proc is mounted for it.
observe_scan() {
  in_box systemctl start --no-block veltrin-finder-scan.service
  local pid=0
  for _ in $(seq 100); do
    pid=$(show MainPID)
    [ "$pid" != 0 ] && break
    sleep 0.05
  done
  [ "$pid" != 0 ] || { fail "the scan did not start"; return; }
  sleep 1   # the bind, the send, the reader thread
  in_box cat "/proc/$pid/status" >"$WORK/status"
  in_box sh -c "grep -h '^se.slice' /proc/$pid/task/*/sched" >"$WORK/slices"
  in_box grep ' /proc ' "/proc/$pid/mountinfo" >"$WORK/proc-mount"
  say "scan process $pid: $(grep -E '^(Uid|Cap(Inh|Prm|Eff|Bnd|Amb)|NoNewPrivs|Seccomp):' "$WORK/status" | tr -s '\t' ' ' | paste -sd ';')"
  say "  thread slices: $(awk '{print $3}' "$WORK/slices" | paste -sd ' '); /proc: $(awk '{print $NF}' "$WORK/proc-mount")"
  local cap
  for cap in CapPrm CapEff CapAmb CapBnd; do
    # Bit 10: CAP_NET_BIND_SERVICE, and nothing else.
    grep -q "^$cap:[[:space:]]*0000000000000400$" "$WORK/status" || fail "$cap is not CAP_NET_BIND_SERVICE alone"
  done
  grep -q "^Uid:[[:space:]]*$(in_box id -u "$SCAN_USER")[[:space:]]" "$WORK/status" || fail "the scan does not run as $SCAN_USER"
  grep -q '^se.slice *: *100000$' "$WORK/slices" || fail "the reader's scheduling call did not get through"
  grep -q 'subset=pid' "$WORK/proc-mount" || fail "ProcSubset=pid is not in force"
  for _ in $(seq 100); do
    [ "$(show ActiveState)" = active ] || [ "$(show ActiveState)" = activating ] || break
    sleep 0.1
  done
}

run_release() {
  lab_up --segments 2 --devices 2 || { say "the lab could not be built"; return 1; }
  lab_start_sim 1 || return 1
  # Sends through vf2 fail: the scan warns, and the journal keeps it.
  printf 'table inet lab {\n chain out {\n  type filter hook output priority 0;\n  oifname "vf2" udp dport 8002 drop\n }\n}\n' \
    | lab_exec_finder nft -f - || return 1
  boot || return 1

  in_box apt-get install -y --no-install-recommends "/root/$(basename "$DEB")" >"$WORK/install.log" 2>&1 \
    || { fail "the package does not install: $(tail -n 5 "$WORK/install.log")"; return 1; }
  say "installed $(in_box dpkg-query -W -f='${Package} ${Version}' veltrin-finder-cli); $(in_box getfacl -p /var/lib/prometheus/node-exporter 2>/dev/null | grep "user:$SCAN_USER")"
  in_box mkdir -p /etc/veltrin
  in_box sh -c "printf 'Name,MAC Address,Floor\nGate,02-00-00-4D-10-0A,0\nHall,02-00-00-4D-10-0B,1\nSpare,02-00-00-4D-99-99,2\n' >/etc/veltrin/expected.csv"
  in_box sed -i 's/^INTERFACES=.*/INTERFACES="vf1 vf2"/' "$SETTINGS"
  say "sandbox: $(for p in User AmbientCapabilities CapabilityBoundingSet ProtectSystem ReadWritePaths ProcSubset MemoryDenyWriteExecute SystemCallFilter; do
    v=$(show $p); [ ${#v} -gt 60 ] && v="${v:0:60}..."; printf '%s=%s; ' "$p" "$v"; done)"

  # One scan by hand, watched while it runs.
  observe_scan
  # Exit status 3, a station missing, is news, not a failure. (systemd
  # forgets the status of a unit that ended well, so the metrics tell.)
  say "result: $(show Result)"
  if [ "$(show Result)" != success ]; then
    fail "the scan failed:"
    in_box journalctl -u veltrin-finder-scan --no-pager -o cat | tail -n 20
    in_box cat "$TEXTFILE" /etc/veltrin/expected.csv
    return 1
  fi
  in_box cat "$TEXTFILE" >"$WORK/metrics" || fail "no $TEXTFILE"
  say "$TEXTFILE: $(in_box stat -c '%U %a %s bytes' "$TEXTFILE")"
  grep -E '^veltrin_(scan_success|devices_answered|expected_devices_missing) |^veltrin_expected_device_up' "$WORK/metrics" | sed 's/^/  /'
  grep -q '^veltrin_scan_success 1$' "$WORK/metrics" && grep -q '^veltrin_devices_answered 2$' "$WORK/metrics" \
    && grep -q '^veltrin_expected_devices_missing 1$' "$WORK/metrics" || fail "the metrics are not the lab's"
  in_box journalctl -u veltrin-finder-scan --no-pager -o cat >"$WORK/journal"
  say "journal: $(grep -m 1 'could not be sent through interface vf2' "$WORK/journal")"
  grep -q 'warning: The request could not be sent through interface vf2' "$WORK/journal" || fail "the journal lacks the scan's warning"

  # The sandbox, not file permissions, keeps it out of a folder its user owns.
  in_box install -d -o "$SCAN_USER" /var/lib/veltrin-probe
  in_box sed -i 's|^OUTPUT=.*|OUTPUT="/var/lib/veltrin-probe/veltrin.prom"|' "$SETTINGS"
  in_box systemctl start veltrin-finder-scan.service
  say "output in a folder of its user's outside the textfile folder: $(show Result), status $(show ExecMainStatus); $(in_box journalctl -u veltrin-finder-scan --no-pager -o cat | grep veltrin-probe | tail -n 1)"
  [ "$(show ExecMainStatus)" = 4 ] && ! in_box test -e /var/lib/veltrin-probe/veltrin.prom || fail "the scan wrote outside the textfile folder"
  in_box journalctl -u veltrin-finder-scan --no-pager -o cat | grep -q 'veltrin-probe/veltrin.prom: Read-only file system' \
    || fail "no read-only refusal in the journal"
  in_box sed -i "s|^OUTPUT=.*|OUTPUT=\"$TEXTFILE\"|" "$SETTINGS"

  # The timer: a scan at every minute's start.
  in_box systemctl enable --now veltrin-finder-scan.timer 2>&1 | sed 's/^/  /'
  say "$(in_box systemctl list-timers --no-pager veltrin-finder-scan.timer | head -n 2 | tail -n 1)"
  local stamps=() stamp last=
  for _ in $(seq 1300); do
    stamp=$(in_box sed -n 's/^veltrin_scan_timestamp_seconds //p' "$TEXTFILE" 2>/dev/null)
    if [ "$stamp" != "$last" ] && [ -n "$last" ]; then
      stamps+=("$stamp")
      say "timer's scan at $(date -u -d "@${stamp%.*}" +%T): $(in_box grep '^veltrin_devices_answered' "$TEXTFILE")"
      [ ${#stamps[@]} -eq 2 ] && break
    fi
    last=$stamp
    sleep 0.1
  done
  if [ ${#stamps[@]} -eq 2 ]; then
    local gap=$(( ${stamps[1]%.*} - ${stamps[0]%.*} ))
    [ "$gap" -ge 58 ] && [ "$gap" -le 62 ] || fail "the timer's scans are $gap s apart"
  else
    fail "the timer did not scan twice in 130 s"
  fi

  # What Prometheus would scrape: node exporter in the container, on the
  # container's own loopback.
  lab_exec_finder curl -fsS http://127.0.0.1:9100/metrics >"$WORK/served" || fail "node exporter does not answer"
  say "node exporter serves: $(grep -E '^(veltrin_expected_devices_missing|node_textfile_scrape_error) ' "$WORK/served" | paste -sd ';')"
  grep -q '^node_textfile_scrape_error 0$' "$WORK/served" && grep -q '^veltrin_expected_devices_missing 1$' "$WORK/served" \
    || fail "node exporter does not serve the scan"
  say "journal, last scans:"
  in_box journalctl -u veltrin-finder-scan --no-pager -o short-iso -n 12 | sed 's/^/  /'
}

WORK=$(mktemp -d)
trap 'down; rm -rf "$WORK"' EXIT
for REL in "${RELEASES[@]}"; do
  say "== $REL"
  run_release || fail "could not be run"
  down
done
if [ "$FAILURES" -gt 0 ]; then
  say "$FAILURES failure(s)"
  exit 1
fi
say "the scan passed under systemd on: ${RELEASES[*]}"
