#!/usr/bin/env bash
# The scheduled scan's whole chain with Debian's own servers: veltrin-finder-cli
# scans a lab (tools/netlab.sh) into node exporter's textfile folder, node
# exporter serves it, Prometheus scrapes it, answers which planned station is
# down and alerts on it by the shipped rules (their waits cut to nothing), and
# Alertmanager passes the alert to a webhook receiver. All of them listen on
# 127.0.0.1 only and are stopped at the end; their packages' services are
# never started. Skips (77) without namespaces or without the servers.
#
# usage: test_prometheus_chain.sh CLI SIMULATOR RULES
set -u

CLI=$(realpath "$1")
export VELTRIN_SIM
VELTRIN_SIM=$(realpath "$2")
RULES=$(realpath "$3")

for tool in prometheus prometheus-node-exporter prometheus-alertmanager promtool curl; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps.sh test)"; exit 77; }
done

# shellcheck source=../../tools/netlab.sh
source "$(dirname "$0")/../../tools/netlab.sh"

WORK=$(mktemp -d)
TEXTFILES=$WORK/textfile
mkdir "$TEXTFILES"
SERVERS=()
FAILURES=0
stop_servers() {
  for pid in "${SERVERS[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
}
trap 'stop_servers; lab_down; rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  FAILURES=$((FAILURES + 1))
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Waits up to 20 s for URL to answer.
wait_for() {
  for _ in $(seq 200); do curl -fsS -o /dev/null "$1" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

# One scan in the lab's finder namespace: status in $RC.
scan() {
  lab_exec_finder "$CLI" --wait 0.5 "$@" >"$WORK/out" 2>"$WORK/err"
  RC=$?
}

rc=0
lab_up --segments 2 --devices 2 || rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -eq 0 ] || { echo "lab_up failed" >&2; exit 1; }
# Segment 1's devices describe themselves in ways that try to break out of
# their label; segment 2 is the station that will go down.
HOSTILE=$'Gate "A" \\ back\nslash"} 1\nfake_metric 1'
lab_start_sim 1 --description "$HOSTILE" || exit 1
lab_start_sim 2 || exit 1
DOWN_SIM=${LAB_SIM_PIDS[1]}
printf 'Name,MAC Address\nGate,02-00-00-4D-10-0A\nCourtyard,02-00-00-4D-20-0A\n' >"$WORK/plan.csv"

EXPORTER=127.0.0.1:$(free_port)
prometheus-node-exporter --web.listen-address="$EXPORTER" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$TEXTFILES" >"$WORK/exporter.log" 2>&1 &
SERVERS+=($!)
# The receiver keeps each notification as one line.
RECEIVER=$(free_port)
python3 - "$RECEIVER" "$WORK/received" <<'PY' >"$WORK/receiver.log" 2>&1 &
import http.server, sys
class Receiver(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers['Content-Length']))
        with open(sys.argv[2], 'ab') as received:
            received.write(body.replace(b'\n', b' ') + b'\n')
        self.send_response(200)
        self.end_headers()
http.server.HTTPServer(('127.0.0.1', int(sys.argv[1])), Receiver).serve_forever()
PY
SERVERS+=($!)
ALERTMANAGER=127.0.0.1:$(free_port)
cat >"$WORK/alertmanager.yml" <<YAML
route:
  receiver: site-team
  group_by: [alertname, instance]
  group_wait: 0s
  group_interval: 1s
receivers:
  - name: site-team
    webhook_configs:
      - url: http://127.0.0.1:$RECEIVER/
YAML
prometheus-alertmanager --config.file="$WORK/alertmanager.yml" --storage.path="$WORK/alertmanager" \
  --web.listen-address="$ALERTMANAGER" --cluster.listen-address= >"$WORK/alertmanager.log" 2>&1 &
SERVERS+=($!)
# The shipped rules, alerting at once.
sed -E 's/^( *for:).*/\1 0s/' "$RULES" >"$WORK/rules.yml"
SERVER=127.0.0.1:$(free_port)
cat >"$WORK/prometheus.yml" <<YAML
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files: ['$WORK/rules.yml']
alerting:
  alertmanagers:
    - static_configs:
        - targets: ['$ALERTMANAGER']
scrape_configs:
  - job_name: site
    static_configs:
      - targets: ['$EXPORTER']
YAML
prometheus --config.file="$WORK/prometheus.yml" --storage.tsdb.path="$WORK/tsdb" \
  --web.listen-address="$SERVER" >"$WORK/prometheus.log" 2>&1 &
SERVERS+=($!)
wait_for "http://$EXPORTER/metrics" || { cat "$WORK/exporter.log" >&2; exit 1; }
wait_for "http://$SERVER/-/ready" || { cat "$WORK/prometheus.log" >&2; exit 1; }
wait_for "http://$ALERTMANAGER/-/ready" || { cat "$WORK/alertmanager.log" >&2; exit 1; }

# All four answer: their series and count reach node exporter.
scan --prometheus --expect "$WORK/plan.csv" --output "$TEXTFILES/veltrin.prom"
[ "$RC" -eq 0 ] || fail "scan: status $RC: $(cat "$WORK/err")"
[ ! -s "$WORK/out" ] || fail "--output: something went to standard output"
promtool check metrics <"$TEXTFILES/veltrin.prom" >"$WORK/check" 2>&1 || fail "promtool check metrics: $(cat "$WORK/check")"
grep -q '^fake_metric' "$TEXTFILES/veltrin.prom" && fail "a description started a series"
curl -fsS "http://$EXPORTER/metrics" >"$WORK/metrics" || fail "node exporter does not answer"
grep -q '^veltrin_devices_answered 4$' "$WORK/metrics" || fail "answered count: $(grep answered "$WORK/metrics")"
[ "$(grep -c '^veltrin_device_info{' "$WORK/metrics")" -eq 4 ] || fail "device series: $(grep device_info "$WORK/metrics")"
for mac in 02-00-00-4D-10-0A 02-00-00-4D-10-0B 02-00-00-4D-20-0A 02-00-00-4D-20-0B; do
  grep -q "^veltrin_device_info{.*mac=\"$mac\".*} 1$" "$WORK/metrics" || fail "no series for $mac"
done
grep -qF 'description="Gate \"A\" \\ back\nslash\"} 1\nfake_metric 1"' "$WORK/metrics" \
  || fail "the hostile description is not one escaped label: $(grep -m1 device_info "$WORK/metrics")"
# node exporter sorts the labels.
grep '^veltrin_device_info{' "$WORK/metrics" | grep 'ip="10.77.32.10"' | grep -q 'interface="vf2"' || fail "interface label"
grep -q '^veltrin_expected_devices_missing 0$' "$WORK/metrics" || fail "a planned station is missing"
grep -q '^veltrin_scan_success 1$' "$WORK/metrics" || fail "scan_success"
grep -E '^(veltrin_device_info\{.*ip="10.77.16.10"|veltrin_devices|veltrin_replies|veltrin_scan|veltrin_expected|node_textfile_mtime)' \
  "$WORK/metrics"

# The courtyard station goes down: the next scan says so, and Prometheus
# returns it, and only it, for the alert's query.
kill "$DOWN_SIM"
scan --prometheus --expect "$WORK/plan.csv" --output "$TEXTFILES/veltrin.prom"
[ "$RC" -eq 3 ] || fail "scan with a station missing: status $RC, expected 3"
query=
for _ in $(seq 100); do
  query=$(curl -fsS "http://$SERVER/api/v1/query" --data-urlencode 'query=veltrin_expected_device_up == 0')
  [[ $query == *'"result":[{'* ]] && break
  sleep 0.2
done
echo "query veltrin_expected_device_up == 0: $query"
[[ $query == *'"name":"Courtyard"'* && $query == *'"mac":"02-00-00-4D-20-0A"'* ]] || fail "Prometheus does not return the courtyard station"
[[ $query == *'"name":"Gate"'* ]] && fail "Prometheus returns the gate as down"
# ... and someone is told.
for _ in $(seq 150); do grep -q VeltrinStationMissing "$WORK/received" 2>/dev/null && break; sleep 0.2; done
alert=$(grep -m 1 VeltrinStationMissing "$WORK/received")
echo "the receiver got: $alert"
[[ $alert == *'"status":"firing"'* && $alert == *'"name":"Courtyard"'* \
   && $alert == *'"summary":"Door station Courtyard (02-00-00-4D-20-0A) on '* ]] \
  || fail "no alert naming the courtyard station reached the receiver: $(cat "$WORK/received" "$WORK/alertmanager.log")"
[[ $alert == *'"name":"Gate"'* ]] && fail "the receiver was told the gate is down"

# Port 1010 taken: the metrics say the scan failed, whole; another format's
# file stays as the last good scan left it; no temporary file is left over.
scan --csv --output "$WORK/last.csv"
cp "$WORK/last.csv" "$WORK/last.csv.before"
ready=$WORK/holder.ready
lab_exec_finder "$VELTRIN_SIM" --port 1010 --ready-file "$ready" --exit-with-parent --quiet &
holder=$!
for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.02; done
scan --prometheus --expect "$WORK/plan.csv" --output "$TEXTFILES/veltrin.prom"
[ "$RC" -eq 2 ] || fail "port taken: status $RC, expected 2"
grep -q '^veltrin_scan_success 0$' "$TEXTFILES/veltrin.prom" || fail "port taken: $(cat "$TEXTFILES/veltrin.prom")"
grep -q '^veltrin_device_info\|^veltrin_expected' "$TEXTFILES/veltrin.prom" && fail "port taken: device metrics made up"
promtool check metrics <"$TEXTFILES/veltrin.prom" >"$WORK/check" 2>&1 || fail "failed scan's metrics: $(cat "$WORK/check")"
scan --csv --output "$WORK/last.csv"
[ "$RC" -eq 2 ] || fail "port taken (csv): status $RC"
cmp -s "$WORK/last.csv" "$WORK/last.csv.before" || fail "a failed scan replaced the last CSV"
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
leftovers=$(ls -A "$TEXTFILES" "$WORK" | grep -E 'veltrin\.prom\.|last\.csv\.[^b]')
[ -z "$leftovers" ] || fail "temporary files left: $leftovers"

promtool check rules "$RULES" >"$WORK/check" 2>&1 || fail "promtool check rules: $(cat "$WORK/check")"

# An interface that is gone (an adapter unplugged) or a plan that cannot be
# read fails the scan in the metrics too, in place of the last good scan.
for failure in "--interface vf9" "--expect $WORK/no-such-plan.csv"; do
  scan --prometheus --output "$TEXTFILES/veltrin.prom"
  # shellcheck disable=SC2086 # an option and its value
  scan --prometheus $failure --output "$TEXTFILES/veltrin.prom"
  [ "$RC" -eq 2 ] || fail "$failure: status $RC, expected 2"
  [ "$(grep -c '^veltrin_' "$TEXTFILES/veltrin.prom")" -eq 3 ] && grep -q '^veltrin_scan_success 0$' "$TEXTFILES/veltrin.prom" \
    || fail "$failure: $(cat "$TEXTFILES/veltrin.prom")"
done

stop_servers
for pid in "${SERVERS[@]}"; do kill -0 "$pid" 2>/dev/null && fail "server $pid still running"; done
SERVERS=()

if [ "$FAILURES" -gt 0 ]; then
  echo "$FAILURES failure(s)" >&2
  exit 1
fi
echo "the chain passed"
