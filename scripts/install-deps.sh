#!/usr/bin/env bash
# Installs the Debian packages one task needs, and only those. Idempotent:
# checks first and installs nothing when everything is already there.
#
#   bash scripts/install-deps.sh [GROUP...]     (default: run)
#
#   run      build and run the finder (the make targets build, run)
#   demo     run, plus network namespaces for the simulated lab (make demo)
#   screenshot  demo, plus a virtual X server for the README's picture
#            (make screenshot)
#   test     the whole test suite: run, virtual X, lab, sanitizers, fuzzers,
#            packaging checks (make test)
#   fuzz     run, plus clang and its fuzzing runtime (make fuzz)
#   bench    run, plus the lab tools and a meter of peak memory (make bench)
#   package  run, plus the Debian packaging tools (make package)
#   systemd  package and lab, plus a Debian root booted by systemd for the
#            scheduled scan's units (make test-systemd)
#
# Names are the release's unversioned ones, so the same list serves Debian 12,
# Debian 13 and Ubuntu 24.04. To add a package, add it to its group below.
set -euo pipefail

declare -A group
# Compiler and build tools, Qt, the Song-style CJK serif for the table and the
# capability tool that lets a normal user bind port 1010.
# Qt's Chinese for the file dialog and message boxes, lrelease for ours.
# Qt's Wayland platform plugin, for Wayland desktop sessions.
group[run]="build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
            qt6-l10n-tools qt6-translations-l10n fonts-arphic-uming libcap2-bin qt6-wayland"
group[lab]="iproute2 procps"
group[fuzz]="clang libclang-rt-dev"
# hardening-check (devscripts) for the package test.
group[package]="dpkg-dev fakeroot file lintian desktop-file-utils appstream devscripts"
# Virtual X server, a window manager (so maximising works) and screenshots
# for the window tests and looking at the window.
group[gui]="xvfb xauth x11-utils imagemagick openbox"
# The hand-over report's text read back from its PDF (pdftotext).
group[pdf]="poppler-utils"
# A headless Wayland compositor for the window test under Wayland.
group[wayland]="weston"
# Lab tests: a firewall drop on one interface of a lab namespace.
group[firewall]="nftables"
# The scan-to-alert chain test: node exporter reads the scan's textfile,
# Prometheus scrapes it and Alertmanager passes its alerts on; promtool checks
# metrics and tests the alert rules. The tests start them on loopback ports;
# the packages' own services stay off.
group[monitoring]="prometheus prometheus-node-exporter prometheus-alertmanager curl"
# The scheduled scan under a real systemd: a Debian root made by debootstrap,
# booted by systemd-nspawn, the lab's firewall, curl for its node exporter.
group[systemd]="systemd-container debootstrap curl"
# bench/plan_memory.sh: peak memory by /usr/bin/time, plans generated in Python.
group[measure]="time python3"

# What each task installs, on top of run.
declare -A task=(
  [run]="run"
  [demo]="run lab"
  [screenshot]="run lab gui"
  [fuzz]="run fuzz"
  [bench]="run lab measure"
  [package]="run package"
  [systemd]="run package lab firewall systemd"
  [test]="run lab gui pdf wayland firewall fuzz package monitoring"
)

wanted=()
for t in "${@:-run}"; do
  if [ -z "${task[$t]:-}" ]; then
    echo "install-deps: unknown group '$t' (one of: ${!task[*]})" >&2
    exit 2
  fi
  for g in ${task[$t]}; do
    # shellcheck disable=SC2206 # word splitting of the list is intended
    wanted+=(${group[$g]})
  done
done

missing=()
for p in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=()
[ "$(id -u)" -ne 0 ] && SUDO=(sudo)

# Services that come with a package but that only tests start, each on its
# own terms: they must not start at install, nor at the next boot. A machine
# that already had them keeps them as they were.
fixtures=()
for p in "${missing[@]}"; do
  case $p in prometheus|prometheus-node-exporter|prometheus-alertmanager) fixtures+=("$p") ;; esac
done
policy=/usr/sbin/policy-rc.d
if [ ${#fixtures[@]} -gt 0 ] && [ ! -e "$policy" ]; then
  "${SUDO[@]}" sh -c "printf '#!/bin/sh\nexit 101\n' >$policy && chmod 755 $policy"
  trap '"${SUDO[@]}" rm -f "$policy"' EXIT
fi

"${SUDO[@]}" apt-get update
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"

for service in "${fixtures[@]}"; do
  "${SUDO[@]}" systemctl disable --quiet "$service.service" 2>/dev/null || true
  if [ -d /run/systemd/system ]; then
    "${SUDO[@]}" systemctl stop "$service.service" 2>/dev/null || true
  fi
done
