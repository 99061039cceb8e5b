#!/usr/bin/env bash
# The window under Wayland: the window test's cases that need no window
# activation (a headless compositor gives none) run with Qt's Wayland plugin
# against a headless weston in a runtime folder of their own. Skips (77)
# where weston is not installed.
#
#   test_window_wayland.sh TEST_PROGRAM [TEST_FUNCTION...]
set -u
program=$1
shift

if ! command -v weston >/dev/null 2>&1; then
  echo "weston is not installed: skipped"
  exit 77
fi
# Weston 12 renamed its backends; older ones load them by file name.
major=$(weston --version 2>/dev/null | sed -n 's/^weston \([0-9]*\).*/\1/p')
backend=headless-backend.so
if [ "${major:-0}" -ge 12 ]; then
  backend=headless
fi

runtime=$(mktemp -d)
chmod 700 "$runtime"
socket=veltrin-test-$$
weston_pid=
tidy() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null
    wait "$weston_pid" 2>/dev/null
  fi
  rm -rf "$runtime"
}
trap tidy EXIT

# A full-HD output: the headless default (1024x640) is smaller than the
# layouts the window test restores, and the window never opens larger.
XDG_RUNTIME_DIR=$runtime weston --backend="$backend" --socket="$socket" --idle-time=0 --width=1920 --height=1080 \
  >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [ -S "$runtime/$socket" ] && break
  if ! kill -0 "$weston_pid" 2>/dev/null; then
    echo "weston did not start:" >&2
    cat "$runtime/weston.log" >&2
    exit 1
  fi
  sleep 0.1
done
if [ ! -S "$runtime/$socket" ]; then
  echo "weston made no socket" >&2
  exit 1
fi

# Qt's Wayland plugin leaves some of its own allocations to the process's
# end, and LeakSanitizer cannot tell whose they are (Qt is built without
# frame pointers). The same cases run offscreen under LeakSanitizer in
# test_finder_window, so leaks of our own are caught there.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0"
fi

# No fallback: without the Wayland plugin Qt stops here, and the test fails.
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
  "$program" -platform wayland "$@"
