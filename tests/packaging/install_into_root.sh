#!/bin/sh
# Usage: install_into_root.sh ROOT "DEB..." [FSTYPE [CHECK...]]
# Installs the DEBs (space-separated) into the empty dpkg root ROOT, reports
# their state and the capabilities of the finders and the bind helper, runs
# CHECK (with the installed finder's path as its last argument) if given,
# purges the packages and lists every file the purge left behind.
# With FSTYPE, a fresh filesystem of that type is mounted on ROOT first: run
# it under `unshare -m` so the mount vanishes with the process.
set -eu
root=$1 debs=$2 fstype=${3:-}
shift 2
[ $# -eq 0 ] || shift

[ -z "$fstype" ] || mount -t "$fstype" none "$root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: > "$root/var/lib/dpkg/status"

# The empty root has no shell to chroot into; chrootless scripts get DPKG_ROOT.
# Its dependencies are not in the empty root, hence --force-depends.
# shellcheck disable=SC2086 # one word per package
dpkg --root="$root" --force-script-chrootless --force-depends -i $debs > /dev/null
echo "status: $(dpkg-query --root="$root" -W -f='${Status}' veltrin-finder)"
echo "cli status: $(dpkg-query --root="$root" -W -f='${Status}' veltrin-finder-cli)"
echo "capability: $(getcap "$root/usr/bin/veltrin-finder" "$root/usr/bin/veltrin-finder-cli")"
echo "helper capability: $(getcap "$root/usr/libexec/veltrin-finder/veltrin-finder-bind")"
if [ $# -gt 0 ]; then
    status=0
    "$@" "$root/usr/bin/veltrin-finder" || status=$?
    echo "check: $status"
fi
dpkg --root="$root" --force-script-chrootless --purge veltrin-finder veltrin-finder-cli > /dev/null
find "$root" -path "$root/var/lib/dpkg" -prune -o ! -type d -printf 'left: %P\n'
