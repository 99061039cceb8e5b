#!/usr/bin/env bash
# Installs the Debian packages the finder needs to build, run and be tested.
# Idempotent: does nothing when everything is already there.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-l10n-tools
  # run: a Song-style CJK serif for the table, the capability tool for port 1010
  fonts-arphic-uming libcap2-bin
  qt6-translations-l10n  # the file dialog and message boxes in the user's language
  # tests: virtual X server, screenshots, network namespaces, sanitizers and fuzzers
  xvfb xauth x11-utils imagemagick iproute2 procps clang libclang-rt-14-dev
  # tests: a firewall drop on one interface of a lab namespace
  nftables
  # packaging checks
  dpkg-dev fakeroot file lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=()
[ "$(id -u)" -ne 0 ] && SUDO=(sudo)
"${SUDO[@]}" apt-get update
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
