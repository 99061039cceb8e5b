#!/usr/bin/env bash
# Makes the README's picture of the window: a few simulated door phones in a
# throw-away network lab (tools/netlab.sh), the finder inside the lab on a
# virtual X server, and a screenshot of its window, kept small.
#
#   tools/readme_screenshot.sh FINDER SIMULATOR [OUT]    (as root)
#
# OUT defaults to docs/finder-window.png. Nothing is broadcast outside the lab.
set -uo pipefail

finder=${1:?usage: readme_screenshot.sh FINDER SIMULATOR [OUT]}
sim=${2:?usage: readme_screenshot.sh FINDER SIMULATOR [OUT]}
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out=${3:-$root/docs/finder-window.png}

say() { echo "readme_screenshot: $*" >&2; }
for tool in Xvfb import xwininfo; do
  command -v "$tool" >/dev/null || { say "$tool is missing: bash scripts/install-deps.sh test"; exit 1; }
done

# shellcheck source=../tools/netlab.sh
source "$root/tools/netlab.sh"
# shellcheck source=../tools/demo_site.sh
source "$root/tools/demo_site.sh"
LAB_SIM=$sim
work=$(mktemp -d)
xvfb_pid=""
finish() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
  lab_down
}
LAB_NO_TRAP=1
trap finish EXIT
trap 'exit 130' INT TERM

demo_site_up || exit $?

# A free display number; the server listens on its unix socket only, which
# the lab's namespace still reaches.
display=99
while [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1000x700x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

# A settings file of its own, so no remembered layout changes the picture.
lab_exec_finder env DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" LANG=C.UTF-8 \
  "$finder" >"$work/finder.log" 2>&1 &
window=""
for _ in $(seq 100); do
  window=$(DISPLAY=":$display" xwininfo -root -tree 2>/dev/null | awk '/"Veltrin\(V 1.0\)"/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { say "the finder's window did not appear:"; cat "$work/finder.log" >&2; exit 1; }
sleep 3   # the five answers, and the first paint after them

mkdir -p "$(dirname "$out")"
# 64 colours keep the picture small; the window has few.
DISPLAY=":$display" import -window "$window" -colors 64 "PNG8:$out" || exit 1
say "wrote $out ($(stat -c %s "$out") bytes)"
