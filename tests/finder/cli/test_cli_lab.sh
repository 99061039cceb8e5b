#!/usr/bin/env bash
# veltrin-finder --list in throw-away labs (tools/netlab.sh), one lab shape
# per case: a device behind a router, one LAN reached through two links,
# interface choice, outputs that fail, Ctrl+C and SIGTERM, and a site checked
# against its plan, once (with its hand-over report) and watched while a
# device namespace's simulator stops and starts again. Every finder run here
# has no display and a platform plugin that does not exist, so a GUI
# application would abort; the report draws on the offscreen platform.
#
# usage: test_cli_lab.sh FINDER SIMULATOR [CASE...]
#   CASE: routed same-segment interfaces other-subnet interrupt output signals site-plan hostile flood
#         (default: all)
set -u

FINDER=$(realpath "$1")
export VELTRIN_SIM
VELTRIN_SIM=$(realpath "$2")
shift 2
CASES=("$@")
[ ${#CASES[@]} -gt 0 ] || CASES=(routed same-segment interfaces other-subnet interrupt output signals site-plan hostile flood)

# shellcheck source=../../../tools/netlab.sh
source "$(dirname "$0")/../../../tools/netlab.sh"

WORK=$(mktemp -d)
FAILURES=0
trap 'lab_down; rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL [$CASE]: $*" >&2
  FAILURES=$((FAILURES + 1))
}

# Runs the finder in the lab's finder namespace: stdout to $WORK/out,
# stderr to $WORK/err, status in $RC.
finder() {
  lab_exec_finder env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-such-plugin \
    "$FINDER" "$@" >"$WORK/out" 2>"$WORK/err"
  RC=$?
}

expect_status() {
  [ "$RC" -eq "$1" ] || fail "$2: status $RC, expected $1; stderr: $(cat "$WORK/err")"
}

# Compares $WORK/out with the bytes of printf FORMAT ARGS.
expect_output() {
  local what=$1; shift
  # shellcheck disable=SC2059
  printf "$@" >"$WORK/expected"
  if ! cmp -s "$WORK/expected" "$WORK/out"; then
    fail "$what: output differs"
    diff <(od -c "$WORK/expected") <(od -c "$WORK/out") | head -20 >&2
  fi
}

expect_stderr() {
  grep -qF -- "$2" "$WORK/err" || fail "$1: stderr lacks \"$2\": $(cat "$WORK/err")"
}

requests_in() {
  grep -c '^recv' "$1" || true
}

up() {
  lab_up "$@"
  local rc=$?
  if [ $rc -eq 77 ]; then exit 77; fi
  [ $rc -eq 0 ] || { echo "lab_up $* failed" >&2; exit 1; }
}

HEADER='#   IP Address           Serial Number           MAC Address          SW Version        Description\n'

case_routed() {
  up --routed --segments 1 --devices 1
  # Quote, comma and a trailing line feed: each format has its own rule for them.
  lab_start_sim 1 --description 'Gate "A", east' --trailing-lf || return 1
  local log=$LAB_SIM_LOG

  finder --list --wait 0.5
  expect_status 1 "broadcast only"
  expect_output "broadcast only: the header alone" "$HEADER"
  [ "$(requests_in "$log")" -eq 0 ] || fail "the broadcast crossed the router"

  finder --list --wait 1 --target 10.77.16.0/24
  expect_status 0 "text"
  expect_output "text" "$HEADER%s\n" \
    '1   10.77.16.10          -505-0378               02-00-00-4D-10-0A    1.16.10           Gate "A", east'
  [ -s "$WORK/err" ] && fail "text: stderr not empty: $(cat "$WORK/err")"

  finder --list --wait 1 --json --target 10.77.16.10
  expect_status 0 "json"
  # The reply came in on the link to the router; its time is today's.
  sed -i -E 's/"time": "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}\.[0-9]{3}Z"/"time": "T"/' "$WORK/out"
  expect_output "json" '[\n  {"ip": "10.77.16.10", "serial": "000005050378", "mac": "02-00-00-4D-10-0A", "version": "1.16.10", "description": "Gate \\"A\\", east", "interface": "vf1", "time": "T"}\n]\n'

  finder --list --wait 1 --csv --target 10.77.16.1-10.77.16.20
  expect_status 0 "csv"
  expect_output "csv" '#,IP Address,Serial Number,MAC Address,SW Version,Description\r\n1,10.77.16.10,000005050378,02-00-00-4D-10-0A,1.16.10,"Gate ""A"", east"\r\n'

  # The /24's hosts, each asked once, the device among them.
  local before
  before=$(requests_in "$log")
  finder --list --wait 0.5 --json --target 10.77.17.0/24
  expect_status 1 "none found (json)"
  expect_output "none found (json)" '[]\n'
  [ "$(requests_in "$log")" -eq "$before" ] || fail "a request reached the device outside its targets"

  finder --list --wait 0.3 --csv
  expect_status 1 "none found (csv)"
  expect_output "none found (csv): the header alone" '#,IP Address,Serial Number,MAC Address,SW Version,Description\r\n'

  # A malformed target among good ones: an error naming it, nothing sent.
  before=$(requests_in "$log")
  finder --list --wait 0.3 --target 10.77.16.10 --target 10.77.16.300/24
  expect_status 2 "malformed target"
  expect_stderr "malformed target" '"10.77.16.300/24"'
  [ -s "$WORK/out" ] && fail "malformed target: something was printed"
  finder --list --wait 0.3 --target 10.0.0.0/15
  expect_status 2 "too many targets"
  expect_stderr "too many targets" "at most 65536"
  [ "$(requests_in "$log")" -eq "$before" ] || fail "a refused target list sent requests"

  # Another program on port 1010: the window's reason and remedy, status 2.
  local ready=$WORK/holder.ready
  lab_exec_finder "$VELTRIN_SIM" --port 1010 --ready-file "$ready" --exit-with-parent --quiet &
  local holder=$!
  for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.02; done
  finder --list --wait 0.3 --target 10.77.16.10
  expect_status 2 "port taken"
  expect_stderr "port taken" "The finder could not open UDP port 1010"
  expect_stderr "port taken" "Another program holds UDP port 1010. Close it, then run the command again."
  [ -s "$WORK/out" ] && fail "port taken: something was printed"
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null
  lab_down
}

case_same_segment() {
  # Segment 1 through two links of one /20, segment 2 on its own.
  up --shared-segment --segments 2 --devices 1
  lab_start_sim 1 || return 1
  local log1=$LAB_SIM_LOG
  lab_start_sim 2 || return 1
  local log2=$LAB_SIM_LOG

  finder --list --wait 0.5
  expect_status 0 "two links, one subnet"
  [ "$(grep -c ' 10\.77\.16\.10 ' "$WORK/out")" -eq 1 ] || fail "the shared segment's device is not listed once: $(cat "$WORK/out")"
  [ "$(grep -c ' 10\.77\.32\.10 ' "$WORK/out")" -eq 1 ] || fail "the other subnet's device is not listed once"
  [ "$(requests_in "$log1")" -eq 1 ] || fail "shared segment: $(requests_in "$log1") requests, expected 1"
  [ "$(requests_in "$log2")" -eq 1 ] || fail "other subnet: $(requests_in "$log2") requests, expected 1"

  # A target inside a subnet the broadcast reaches is not asked twice.
  finder --list --wait 0.5 --target 10.77.16.0/24 --target 10.77.32.10
  expect_status 0 "targets on broadcast subnets"
  [ "$(grep -c ' 10\.77\.16\.10 ' "$WORK/out")" -eq 1 ] || fail "targets on broadcast subnets: listed twice: $(cat "$WORK/out")"
  [ "$(grep -c ' 10\.77\.32\.10 ' "$WORK/out")" -eq 1 ] || fail "targets on broadcast subnets: segment 2 listed twice"
  [ "$(requests_in "$log1")" -eq 2 ] || fail "targets on broadcast subnets: shared segment got $(( $(requests_in "$log1") - 1 )) requests"
  [ "$(requests_in "$log2")" -eq 2 ] || fail "targets on broadcast subnets: other subnet got $(( $(requests_in "$log2") - 1 )) requests"

  # The window's own refresh at start-up sends the same way.
  lab_exec_finder env QT_QPA_PLATFORM=offscreen timeout -s TERM 1.5 "$FINDER" >/dev/null 2>&1
  sleep 0.2
  [ "$(requests_in "$log1")" -eq 3 ] || fail "window: shared segment got $(( $(requests_in "$log1") - 2 )) requests, expected 1"
  [ "$(requests_in "$log2")" -eq 3 ] || fail "window: other subnet got $(( $(requests_in "$log2") - 2 )) requests, expected 1"

  # Naming both links of the subnet still sends one request.
  finder --list --wait 0.3 --interface vf1 --interface vf1b
  expect_status 0 "both links named"
  [ "$(requests_in "$log1")" -eq 4 ] || fail "both links named: the shared segment got more than one request"
  [ "$(requests_in "$log2")" -eq 3 ] || fail "both links named: the unnamed subnet got a request"
  lab_down
}

case_interfaces() {
  up --segments 2 --devices 1
  lab_start_sim 1 || return 1
  local log1=$LAB_SIM_LOG
  lab_start_sim 2 || return 1
  local log2=$LAB_SIM_LOG

  finder --list --wait 0.5 --interface vf2
  expect_status 0 "--interface vf2"
  expect_output "--interface vf2" "$HEADER%s\n" \
    '1   10.77.32.10          -505-4474               02-00-00-4D-20-0A    1.32.10           Door phone 10.77.32.10'
  [ "$(requests_in "$log1")" -eq 0 ] || fail "--interface vf2: segment 1 got a request"
  [ "$(requests_in "$log2")" -eq 1 ] || fail "--interface vf2: segment 2 got $(requests_in "$log2") requests"

  finder --list --wait 0.3 --interface vf1 --interface wlan9
  expect_status 2 "unknown interface"
  expect_stderr "unknown interface" 'Unknown interface "wlan9". Usable interfaces: vf1, vf2'
  [ -s "$WORK/out" ] && fail "unknown interface: something was printed"
  [ "$(requests_in "$log1")" -eq 0 ] || fail "unknown interface: a request was sent"
  finder --list --wait 0.3 --interface lo
  expect_status 2 "loopback"
  expect_stderr "loopback" '"lo" is a loopback interface, which the broadcast never uses. Usable interfaces: vf1, vf2'

  # Commas separate names, as they separate targets.
  finder --list --wait 0.5 --interface vf1,vf2
  expect_status 0 "--interface vf1,vf2"
  [ "$(requests_in "$log1")" -eq 1 ] && [ "$(requests_in "$log2")" -eq 2 ] \
    || fail "--interface vf1,vf2: $(requests_in "$log1") and $(( $(requests_in "$log2") - 1 )) requests, expected 1 each"

  # A link whose sends a firewall drops is named on stderr; the others go on.
  if lab_exec_finder nft -f - <<'NFT'
table inet lab {
  chain out {
    type filter hook output priority 0;
    oifname "vf2" udp dport 8002 drop
  }
}
NFT
  then
    finder --list --wait 0.5
    expect_status 0 "one link refused"
    expect_stderr "one link refused" "could not be sent through interface vf2"
    grep -q ' 10\.77\.16\.10 ' "$WORK/out" || fail "one link refused: segment 1's device is missing"
  else
    fail "nft (package nftables) could not set up the drop on vf2"
  fi
  lab_down
}

# A device on the finder's link but in a subnet of its own answers the
# broadcast; the finder has no route to it and says so. (The routed case's
# device, asked by address, is not marked: the request reached it.)
case_other_subnet() {
  up --segments 1 --devices 1
  lab_exec_device 1 ip addr add 192.168.50.20/24 dev vd1 || return 1
  lab_start_sim 1 --address 192.168.50.20 || return 1

  finder --list --wait 0.5 --json
  expect_status 0 "other subnet (json)"
  grep -q '"ip": "192.168.50.20", .*"interface": "vf1", "time": "[0-9T:.-]*Z", "reachable": false}$' "$WORK/out" \
    || fail "other subnet (json): not marked unreachable: $(cat "$WORK/out")"
  finder --list --wait 0.5
  grep -q '^1   192\.168\.50\.20 !  *-1102-2868 ' "$WORK/out" || fail "other subnet (text): no mark: $(cat "$WORK/out")"
  lab_down
}

case_interrupt() {
  up --segments 1 --devices 3
  lab_start_sim 1 || return 1
  # Job control, so the background finder keeps the default SIGINT action
  # as it would in a terminal.
  set -m
  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin "$FINDER" --list --wait 30 >"$WORK/out" 2>"$WORK/err" &
  local pid=$!
  set +m
  for _ in $(seq 100); do [ "$(wc -l <"$WORK/out")" -ge 4 ] && break; sleep 0.05; done
  local start=$SECONDS
  # As a terminal does: to the whole foreground job.
  kill -INT -- -"$pid"
  wait "$pid"
  RC=$?
  [ $((SECONDS - start)) -le 2 ] || fail "Ctrl+C took $((SECONDS - start)) s"
  expect_status 130 "Ctrl+C"
  [ "$(wc -l <"$WORK/out")" -eq 4 ] || fail "Ctrl+C: expected the header and 3 rows: $(cat "$WORK/out")"
  [ -z "$(tail -c 1 "$WORK/out")" ] || fail "Ctrl+C: the output ends inside a line"
  lab_down
}

# Runs the finder with stdout into a file on a 4 KiB tmpfs that exists for
# this run only (its own mount namespace).
finder_into_small_tmpfs() {
  mkdir -p "$WORK/small"
  lab_exec_finder unshare -m sh -c '
    mount -t tmpfs -o size=4k lab-small "$1" || exit 99
    dir=$1; shift
    exec env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-such-plugin "$@" >"$dir/out"' sh "$WORK/small" "$FINDER" "$@" 2>"$WORK/err"
  RC=$?
}

# With --output FILE on a full 8 KiB tmpfs (its own mount namespace) that
# holds the last listing: prints the status, whether FILE is unchanged and
# what the folder holds.
output_onto_full_tmpfs() {
  mkdir -p "$WORK/full"
  lab_exec_finder unshare -m sh -c '
    dir=$1; shift
    mount -t tmpfs -o size=8k lab-full "$dir" || exit 99
    seq 1000 >"$dir/keep"; head -c 3500 /dev/zero >"$dir/filler"
    before=$(cksum <"$dir/keep")
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-such-plugin "$@" --output "$dir/keep"
    echo "status $? same $([ "$(cksum <"$dir/keep")" = "$before" ] && echo yes) holds" $(ls -A "$dir")' \
    sh "$WORK/full" "$FINDER" "$@" >"$WORK/out" 2>"$WORK/err"
}

case_output() {
  up --segments 1 --devices 1
  # About 11 kB of text: more than the small tmpfs holds.
  lab_start_sim 1 --burst 100 || return 1

  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin "$FINDER" --list --wait 0.3 >/dev/full 2>"$WORK/err"
  RC=$?
  expect_status 4 "/dev/full"
  # The path as the kernel names it: in a chroot, with the root's prefix.
  expect_stderr "/dev/full" "could not write the listing to "
  expect_stderr "/dev/full" "/dev/full: No space left on device"

  for format in --json --csv --wait=0.3; do
    finder_into_small_tmpfs --list --wait 0.3 "$format"
    expect_status 4 "small tmpfs $format"
    expect_stderr "small tmpfs $format" "could not write the listing to $WORK/small/out: No space left on device"
  done
  for format in --json --csv --prometheus --wait=0.3; do
    output_onto_full_tmpfs --list --wait 0.3 "$format"
    [ "$(cat "$WORK/out")" = "status 4 same yes holds filler keep" ] || fail "full disk, --output $format: $(cat "$WORK/out")"
    expect_stderr "full disk, --output $format" "could not write the listing to $WORK/full/keep: No space left on device"
  done

  # --output replaces a regular file only, keeping its permissions, and
  # follows no link.
  (umask 022 && finder --list --prometheus --wait 0.3 --output "$WORK/new.prom")
  [ "$(stat -c %a "$WORK/new.prom")" = 644 ] || fail "--output: a new file is $(stat -c %a "$WORK/new.prom")"
  chmod 600 "$WORK/new.prom"
  finder --list --prometheus --wait 0.3 --output "$WORK/new.prom"
  [ "$(stat -c %a "$WORK/new.prom")" = 600 ] || fail "--output: the file replaced lost its permissions"
  mkfifo "$WORK/fifo" && mknod "$WORK/null" c 1 3 && echo kept >"$WORK/target" && ln -s target "$WORK/link" || return 1
  local path
  for path in fifo:"it is a FIFO" null:"it is a character device" link:"it is a symbolic link, which --output does not follow"; do
    finder --list --prometheus --wait 0.3 --output "$WORK/${path%%:*}"
    expect_status 4 "--output onto ${path%%:*}"
    expect_stderr "--output onto ${path%%:*}" "could not write the listing to $WORK/${path%%:*}: ${path#*:}"
  done
  [ -p "$WORK/fifo" ] && [ -c "$WORK/null" ] && [ -L "$WORK/link" ] && [ "$(cat "$WORK/target")" = kept ] \
    || fail "--output replaced what is not a regular file: $(ls -l "$WORK")"

  # Closed stdout: named, and nothing else took its place.
  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin "$FINDER" --list --wait 0.3 >&- 2>"$WORK/err"
  RC=$?
  expect_status 4 "closed stdout"
  expect_stderr "closed stdout" "could not write the listing to standard output: Bad file descriptor"
  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin timeout -s TERM 2 "$FINDER" --watch >&- 2>"$WORK/err"
  RC=$?
  expect_status 4 "--watch, closed stdout"
  expect_stderr "--watch, closed stdout" "could not write the listing to standard output: Bad file descriptor"

  # A reader that goes away still ends the run quietly.
  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin "$FINDER" --list --wait 0.3 2>"$WORK/err" | head -c 10 >/dev/null
  [ -s "$WORK/err" ] && fail "broken pipe: stderr not empty: $(cat "$WORK/err")"
  lab_down
}

case_signals() {
  up --segments 1 --devices 1
  # 400 devices answering over 3 s: the signal comes while they arrive.
  lab_start_sim 1 --burst 400 --spread-ms 3000 || return 1
  local sig pid
  for sig in TERM INT; do
    set -m
    lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin "$FINDER" --list --json --wait 10 \
      >"$WORK/out" 2>"$WORK/err" &
    pid=$!
    set +m
    sleep 1.5
    kill -"$sig" -- -"$pid"
    wait "$pid"
    RC=$?
    expect_status $((128 + $(kill -l "$sig"))) "SIG$sig"
    python3 -c 'import json, sys
rows = json.load(open(sys.argv[1]))
sys.exit(0 if 0 < len(rows) < 400 and all(len(r) == 7 and r["interface"] == "vf1" for r in rows) else 1)' "$WORK/out" \
      || fail "SIG$sig: not a JSON array of the rows that arrived: $(head -c 300 "$WORK/out")"
  done
  # Metrics of a scan cut short say it failed, in place of the last scan's.
  finder --list --prometheus --wait 0.3 --output "$WORK/scan.prom"
  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin timeout -s TERM 1.5 "$FINDER" --list --prometheus \
    --wait 10 --output "$WORK/scan.prom" 2>"$WORK/err"
  RC=$?
  expect_status 124 "SIGTERM, --prometheus"
  [ "$(grep -v '^#' "$WORK/scan.prom" | cut -d ' ' -f 1)" = "$(printf '%s\n' veltrin_scan_success \
    veltrin_scan_timestamp_seconds veltrin_scan_duration_seconds)" ] && grep -q '^veltrin_scan_success 0$' "$WORK/scan.prom" \
    || fail "SIGTERM, --prometheus: $(cat "$WORK/scan.prom")"
  lab_down
}

# Waits up to 20 s for N lines of $WORK/out to match PATTERN.
await_lines() {
  local n=$1 pattern=$2 tenths=${3:-200}
  for _ in $(seq "$tenths"); do
    [ "$(grep -c -- "$pattern" "$WORK/out")" -ge "$n" ] && return 0
    sleep 0.1
  done
  fail "waited for $n lines like $pattern: $(tail -n 5 "$WORK/out")"
  return 1
}

case_site_plan() {
  up --segments 1 --devices 3
  # A description longer than its column: the text table cuts it, the rest stay in line.
  lab_start_sim 1 --description 'Block D / stair 2 / floor 14 / flat 1402, east wing' || return 1
  # .10 as planned, .11 moved, .12 not planned, and a station that never answers.
  printf '%s\r\n' 'Location,MAC Address,IP' 'Gate,02-00-00-4d-10-0a,10.77.16.10' \
    'Hall,02:00:00:4D:10:0B,10.77.16.99' 'Spare,02-00-00-4D-99-99,10.77.16.99' >"$WORK/plan.csv"

  finder --list --wait 0.5 --csv --expect "$WORK/plan.csv" --report "$WORK/report.pdf"
  expect_status 3 "--expect with a planned device missing"
  # The hand-over report, drawn with no display: the summary, the missing
  # station's row (name, MAC, no serial, planned IP).
  pdftotext -layout "$WORK/report.pdf" "$WORK/report.txt" || fail "--report: no PDF; stderr: $(cat "$WORK/err")"
  grep -qF '2 of 3 planned devices answered · 1 missing · 1 unexpected · 1 differ' "$WORK/report.txt" \
    || fail "--report: no summary in $(cat "$WORK/report.txt")"
  grep -qE '^ *Spare +02-00-00-4D-99-99 +10\.77\.16\.99 *$' "$WORK/report.txt" \
    || fail "--report: no row for the missing Spare"
  sort "$WORK/out" >"$WORK/sorted"
  # shellcheck disable=SC2016
  printf '%s\r\n' '#,IP Address,Serial Number,MAC Address,SW Version,Description,Status,Differs,Planned IP,Planned version' \
    ',10.77.16.99,,02-00-00-4D-99-99,,Spare,missing,,10.77.16.99,' >"$WORK/expected"
  grep -q '^[123],10\.77\.16\.10,000005050378,02-00-00-4D-10-0A,.*,answered,,10\.77\.16\.10,.$' "$WORK/out" \
    || fail "--expect: .10 not answered"
  grep -q '^[123],10\.77\.16\.11,.*,differs,ip,10\.77\.16\.99,.$' "$WORK/out" || fail "--expect: .11 does not differ by its IP"
  grep -q '^[123],10\.77\.16\.12,.*,unexpected,,,.$' "$WORK/out" || fail "--expect: .12 not unexpected"
  [ "$(head -n 1 "$WORK/out")" = "$(head -n 1 "$WORK/expected")" ] || fail "--expect: header $(head -n 1 "$WORK/out")"
  [ "$(tail -n 1 "$WORK/out")" = "$(tail -n 1 "$WORK/expected")" ] || fail "--expect: last line $(tail -n 1 "$WORK/out")"
  cp "$WORK/out" "$WORK/list-expect.txt"

  # The text table: every status starts in the Status column.
  finder --list --wait 0.5 --expect "$WORK/plan.csv"
  expect_status 3 "--expect, text"
  local line status_at=116
  while IFS= read -r line; do
    [[ "${line:$status_at}" =~ ^(Status|answered|differs|unexpected|missing)( |$) ]] \
      || fail "--expect, text: the status is out of line: $line"
  done < <(LC_ALL=C.UTF-8 cat "$WORK/out")
  grep -q 'Block D / stair 2 / floor … ' "$WORK/out" || fail "--expect, text: the description is not cut"

  # As a German spreadsheet saves it: a title, semicolons, serials that lost
  # their leading zeros, a "v" before a version, a column for notes.
  printf '%s\r\n' 'Gebäude B – Türstationen' 'Wohnung;Seriennummer;SW-Version;Bemerkung' \
    'EG links;5050378;v1.16.10;' 'EG rechts;5050379;1.16.11;neu' 'Reserve;5059999;;' >"$WORK/plan-de.csv"
  finder --list --wait 0.5 --json --expect "$WORK/plan-de.csv"
  expect_status 3 "--expect, German plan"
  expect_stderr "--expect, German plan" \
    "serial ← column B 'Seriennummer'; version ← C 'SW-Version'; name ← A 'Wohnung'; ignored: D 'Bemerkung'"
  python3 -c 'import json, sys
rows = {r["ip"] or r["serial"]: (r["status"], r.get("matched")) for r in json.load(open(sys.argv[1]))}
zeros = "serial without leading zeros"
sys.exit(0 if rows == {"10.77.16.10": ("answered", zeros + ", version with a leading v"),
                       "10.77.16.11": ("answered", zeros), "10.77.16.12": ("unexpected", None),
                       "5059999": ("missing", None)} else 1)' "$WORK/out" \
    || fail "--expect, German plan: statuses $(cat "$WORK/out")"

  finder --list --wait 0.3 --expect "$WORK/missing.csv"
  expect_status 2 "--expect without a file"

  # Watch: the three appear, the plan's spare is missing after the first
  # round; the simulator stops, they are gone, it starts, they are back.
  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin "$FINDER" --watch --interval 2 --gone-after 1 \
    --expect "$WORK/plan.csv" >"$WORK/out" 2>"$WORK/err" &
  local pid=$!
  await_lines 3 '"event":"appeared"' && await_lines 1 '"event":"missing"'
  kill "${LAB_SIM_PIDS[-1]}"
  wait "${LAB_SIM_PIDS[-1]}" 2>/dev/null
  await_lines 3 '"event":"gone"'
  lab_start_sim 1 --description 'Block D / stair 2 / floor 14 / flat 1402, east wing' || return 1
  await_lines 3 '"event":"back"'
  # To the finder alone (the shell around it would die of it too).
  kill -TERM "$(pgrep -P "$pid")"
  wait "$pid"
  RC=$?
  expect_status 0 "--watch ended by SIGTERM"
  [ -z "$(tail -c 1 "$WORK/out")" ] || fail "--watch: the output ends inside a line"
  grep -q '^{"event":"appeared","time":"[0-9T:.-]*Z","ip":"10.77.16.10","serial":"000005050378","mac":"02-00-00-4D-10-0A",.*"status":"answered","name":"Gate"}$' "$WORK/out" \
    || fail "--watch: no appeared line for .10"
  grep -q '^{"event":"missing",.*"mac":"02-00-00-4D-99-99",.*"name":"Spare"}$' "$WORK/out" || fail "--watch: spare not missing"
  [ "$(grep -c '"event":"appeared"' "$WORK/out")" -eq 3 ] || fail "--watch: appeared more than once"
  # A planned station that goes away is missing; back, it answers again.
  grep -q '^{"event":"gone",.*"ip":"10.77.16.10",.*"status":"missing","name":"Gate"}$' "$WORK/out" \
    || fail "--watch: Gate gone is not missing"
  grep -q '^{"event":"back",.*"ip":"10.77.16.10",.*"status":"answered","name":"Gate"}$' "$WORK/out" \
    || fail "--watch: Gate back is not answered"
  grep -q '^{"event":"gone",.*"ip":"10.77.16.12",.*"status":"unexpected"}$' "$WORK/out" \
    || fail "--watch: the unplanned device gone is not unexpected"
  [ -s "$WORK/err" ] && fail "--watch: stderr not empty: $(cat "$WORK/err")"
  cp "$WORK/out" "$WORK/watch.txt"
  if [ -n "${VELTRIN_TRANSCRIPTS:-}" ]; then
    cp "$WORK/list-expect.txt" "$VELTRIN_TRANSCRIPTS/list-expect.csv"
    cp "$WORK/watch.txt" "$VELTRIN_TRANSCRIPTS/watch.jsonl"
  fi
  lab_down
}

# A reply whose MAC address is a line break, among good ones: no listing or
# roster holds it, and the good devices stay. Their descriptions carry DEL,
# C1, bidi and line-separator characters, which --watch escapes as --json.
case_hostile() {
  up --segments 2 --devices 2
  lab_start_sim 1 --description-hex 7f41c29b42e280ae43e280a844 || return 1
  lab_start_sim 2 --address 10.77.32.10 --raw 'mac-address: \nsw-version: 6\r\nserial-number: 6\r\ndisplay: 6\r\ndescription: x' \
    || return 1
  printf 'Name,MAC Address\nGate,02-00-00-4D-10-0A\nHall,02-00-00-4D-10-0B\n' >"$WORK/plan.csv"

  finder --list --wait 0.5 --json
  expect_status 0 "hostile MAC (json)"
  python3 -c 'import json, sys
rows = json.load(open(sys.argv[1]))
sys.exit(0 if sorted(r["mac"] for r in rows) == ["02-00-00-4D-10-0A", "02-00-00-4D-10-0B"] else 1)' "$WORK/out" \
    || fail "hostile MAC (json): $(cat "$WORK/out")"
  grep -o '"description": "[^"]*"' "$WORK/out" | sed 's/ //' | sort -u >"$WORK/list-escapes"
  finder --list --wait 0.5
  [ "$(grep -c '^[0-9]' "$WORK/out")" -eq 2 ] || fail "hostile MAC (text): $(cat "$WORK/out")"
  finder --list --wait 0.5 --prometheus --expect "$WORK/plan.csv"
  expect_status 0 "hostile MAC (prometheus)"
  grep -q '^veltrin_devices_answered 2$' "$WORK/out" && grep -q '^veltrin_expected_devices_missing 0$' "$WORK/out" \
    && [ "$(grep -c '^veltrin_device_info{' "$WORK/out")" -eq 2 ] && ! grep -q 'mac=""' "$WORK/out" \
    || fail "hostile MAC (prometheus): $(cat "$WORK/out")"

  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin timeout -s TERM 1.5 "$FINDER" --watch >"$WORK/out" 2>"$WORK/err"
  [ "$(grep -c '"event":"appeared"' "$WORK/out")" -eq 2 ] || fail "hostile MAC (watch): $(cat "$WORK/out")"
  grep -o '"description":"[^"]*"' "$WORK/out" | sort -u >"$WORK/watch-escapes"
  [ "$(cat "$WORK/list-escapes")" = '"description":"\u007fA\u009bB\u202eC\u2028D"' ] \
    && cmp -s "$WORK/list-escapes" "$WORK/watch-escapes" \
    || fail "--watch escapes differ from --json: $(cat "$WORK/list-escapes" "$WORK/watch-escapes")"
  lab_down
}

# 45,000 invented devices, then a planned one: the full table says so on
# stderr and in the metrics. Watched, the invented devices go away and a
# real device that answers after them still appears. Paced and plenty, so a
# slow (sanitized) finder on a loaded machine, which may drop a fifth of
# them, still receives more than the table holds.
case_flood() {
  up --segments 2 --devices 1
  python3 -c 'import sys
for n in range(45000):
    print(("mac-address: 0A-%06X\r\nsw-version: 1\r\nserial-number: %d\r\ndisplay: 1\r\ndescription: x" % (n, n)).encode().hex())
print(b"mac-address: 02-00-00-4D-99-99\r\nsw-version: 1\r\nserial-number: 9\r\ndisplay: 1\r\ndescription: real".hex())' >"$WORK/flood.hex"
  printf 'Name,MAC Address\nReal,02-00-00-4D-99-99\n' >"$WORK/plan.csv"
  lab_start_sim 1 --payloads "$WORK/flood.hex" --burst 45001 --rate 9000 || return 1
  finder --list --wait 8 --prometheus --expect "$WORK/plan.csv"
  expect_status 3 "flood: the real device hidden"
  expect_stderr "flood" "warning: the table was full at 32767 replies: "
  grep -q '^veltrin_replies_dropped [1-9][0-9]*$' "$WORK/out" && grep -q '^veltrin_devices_answered 32767$' "$WORK/out" \
    || fail "flood: $(grep -v -e device_info -e '^#' "$WORK/out")"
  lab_down

  up --segments 2 --devices 1
  lab_start_sim 1 --payloads "$WORK/flood.hex" --burst 45000 --rate 9000 --once || return 1
  lab_exec_finder env -u DISPLAY QT_QPA_PLATFORM=no-such-plugin "$FINDER" --watch --interval 5 --gone-after 1 \
    >"$WORK/out" 2>"$WORK/err" &
  local pid=$!
  await_lines 32767 '"event":"gone"' 400 || return 1
  lab_start_sim 2 || return 1
  await_lines 1 '"event":"appeared".*"ip":"10.77.32.10"'
  kill -TERM "$(pgrep -P "$pid")"
  wait "$pid"
  expect_stderr "flood, watched" "warning: the watch holds 32767 devices, the most it can, and none of them is gone"
  expect_stderr "flood, watched" "warning: the watch holds 32767 devices, the most it can: each new device takes the place"
  expect_stderr "flood, watched" "new devices were dropped: the watch was full"
  lab_down
}

for CASE in "${CASES[@]}"; do
  echo "== $CASE"
  "case_${CASE//-/_}" || fail "the lab could not be set up"
done
if [ "$FAILURES" -gt 0 ]; then
  echo "$FAILURES failure(s)" >&2
  exit 1
fi
echo "all cases passed"
