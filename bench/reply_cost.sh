#!/bin/bash
# Instructions per reply on the window's thread: valgrind's callgrind over
# veltrin-bench-reply-cost, counting only the endpoint's hand-over rounds
# (with the controller, the table and everything they call) and the count
# label's updates. Runs in a private network namespace with loopback only.
# Usage: bench/reply_cost.sh BUILD_DIR [REPLIES]
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [REPLIES]}
replies=${2:-3000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unshare -n bash -c '
    ip link set lo up
    cd "$1"
    HOME="$1" XDG_CONFIG_HOME="$1" QT_QPA_PLATFORM=offscreen \
    valgrind --tool=callgrind --callgrind-out-file="$1/callgrind.out" \
        --toggle-collect="DiscoveryEndpoint::notifyQueued()" \
        --toggle-collect="MainWindow::updateCountLabel()" \
        "$2" "$3"' _ "$work" "$build/bench/veltrin-bench-reply-cost" "$replies" 2>"$work/valgrind.log" ||
    { cat "$work/valgrind.log" >&2; exit 1; }
total=$(sed -n 's/^summary: \([0-9]*\).*/\1/p' "$work/callgrind.out")
echo "$replies replies: $total instructions, $((total / replies)) per reply"
