#!/usr/bin/env bash
# Delivery through a private scheduler to an emulated plotter, against `lp -o raw` on the same
# raw queue: throughput until the plotter holds every byte, peak memory of kestrum-cli for a small
# and a large file, and how the time for a list grows with its length.
#
#   bench/delivery_bench.sh KESTRUM-CLI [BIG-MIB]      (BIG-MIB: the throughput file, default 512)
set -u
cli=${1:?usage: delivery_bench.sh KESTRUM-CLI [BIG-MIB]}
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
big_mib=${2:-512}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cups="$root/tests/cups"
PATH="$PATH:/usr/sbin:/sbin:/usr/local/sbin"
if ! command -v cupsd >/dev/null || ! command -v lp >/dev/null; then
    echo "delivery_bench: no CUPS scheduler installed; skipped"
    exit 0
fi
timer=/usr/bin/time
[ -x "$timer" ] || { echo "delivery_bench: /usr/bin/time is missing (Debian package time)"; exit 1; }

work=$(mktemp -d /tmp/kestrum-bench-XXXXXX)
chmod 755 "$work"
cupsdir=""
cleanup() {
    [ -f "$work/plotter/emulator.pid" ] && kill -TERM "$(cat "$work/plotter/emulator.pid")" 2>/dev/null
    [ -n "$cupsdir" ] && "$cups/stop-cupsd.sh" "$cupsdir" >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

exports=$("$cups/start-cupsd.sh" --owner $$ --lifetime 3600) || { echo "delivery_bench: cupsd did not start"; exit 1; }
eval "$exports"
cupsdir=$KESTRUM_CUPS_DIR
port=$(python3 "$cups/plotter_emulator.py" --background --time-limit 3600 --owner $$ \
    --folder "$work/plotter" --port 0 | awk '/^PORT/ { print $3 }')
lpadmin -p bench -v "socket://127.0.0.1:$port" -E -o printer-error-policy=abort-job

now() { date +%s.%N; }
# Waits until the plotter holds one more whole job of SIZE bytes than it held before.
wait_for_job() {
    local want=$1 size=$2
    while :; do
        local n
        n=$(find "$work/plotter" -name '*.job' | wc -l)
        if [ "$n" -ge "$want" ]; then
            local last
            last=$(find "$work/plotter" -name '*.job' | sort | tail -1)
            [ "$(stat -c %s "$last")" -eq "$size" ] || { echo "delivery_bench: a job of $(stat -c %s "$last") bytes, wanted $size" >&2; exit 1; }
            return
        fi
        sleep 0.02
    done
}
jobs_seen=0
# timed_send SIZE COMMAND...: seconds from the start of COMMAND until the plotter has SIZE bytes.
timed_send() {
    local size=$1; shift
    local start end
    start=$(now)
    "$@" >/dev/null 2>"$work/err" || { echo "delivery_bench: $* failed:" >&2; cat "$work/err" >&2; exit 1; }
    jobs_seen=$((jobs_seen + 1))
    wait_for_job "$jobs_seen" "$size"
    end=$(now)
    rm -f "$work/plotter"/*.job
    jobs_seen=0
    echo "$end - $start" | bc -l
}
# peak_rss_kib COMMAND...: kestrum-cli's maximum resident set size.
peak_rss_kib() {
    "$timer" -v "$@" 2>"$work/time" >/dev/null || { cat "$work/time" >&2; exit 1; }
    awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time"
}

# Random data, so that nothing on the way can make a sparse or compressed shortcut.
head -c $((big_mib << 20)) /dev/urandom >"$work/big.plt"
big_bytes=$((big_mib << 20))

# Each way once to warm the caches, then the better of two runs each, alternating.
send=("$cli" send --printer bench --pause-ms 0 --no-config "$work/big.plt")
lp_raw=(lp -d bench -o raw "$work/big.plt")
timed_send "$big_bytes" "${send[@]}" >/dev/null
timed_send "$big_bytes" "${lp_raw[@]}" >/dev/null
best_cli="" best_lp=""
for _ in 1 2; do
    t=$(timed_send "$big_bytes" "${send[@]}")
    [ -z "$best_cli" ] || [ "$(echo "$t < $best_cli" | bc)" -eq 1 ] && best_cli=$t
    t=$(timed_send "$big_bytes" "${lp_raw[@]}")
    [ -z "$best_lp" ] || [ "$(echo "$t < $best_lp" | bc)" -eq 1 ] && best_lp=$t
done
ratio=$(echo "$best_lp / $best_cli" | bc -l)

head -c $((16 << 20)) /dev/urandom >"$work/16m.plt"
rss_16m=$(peak_rss_kib "$cli" send --printer bench --pause-ms 0 --no-config "$work/16m.plt")
wait_for_job 1 $((16 << 20)); rm -f "$work/plotter"/*.job
truncate -s 1G "$work/1g.plt"
rss_1g=$(peak_rss_kib "$cli" send --printer bench --pause-ms 0 --no-config "$work/1g.plt")
wait_for_job 1 $((1 << 30)); rm -f "$work/plotter"/*.job
rm -f "$work/1g.plt"

mkdir -p "$work/small"
for i in $(seq -w 1 2000); do printf 'IN;SP1;PA%d,0;PD;PU;' "$((10#$i))" >"$work/small/$i.plt"; done
small_bytes() { cat "$@" | wc -c; }
list200=("$work"/small/0*.plt)
list200=("${list200[@]:0:200}")
list2000=("$work"/small/*.plt)
t200=$(timed_send "$(small_bytes "${list200[@]}")" "$cli" send --printer bench --pause-ms 0 --no-config "${list200[@]}")
t2000=$(timed_send "$(small_bytes "${list2000[@]}")" "$cli" send --printer bench --pause-ms 0 --no-config "${list2000[@]}")
growth=$(echo "$t2000 / $t200" | bc -l)

printf '\n%-44s %12s\n' "delivery (private scheduler, raw queue)" "value"
printf '%-44s %10.2f s\n' "kestrum-cli send, $big_mib MiB" "$best_cli"
printf '%-44s %10.2f s\n' "lp -o raw, $big_mib MiB" "$best_lp"
printf '%-44s %10.2f   (target >= 1.05)\n' "throughput ratio kestrum-cli / lp" "$ratio"
printf '%-44s %8d KiB\n' "peak RSS kestrum-cli, 16 MiB file" "$rss_16m"
printf '%-44s %8d KiB\n' "peak RSS kestrum-cli, 1 GiB file" "$rss_1g"
printf '%-44s %10.2f s\n' "kestrum-cli send, 200 small files" "$t200"
printf '%-44s %10.2f s\n' "kestrum-cli send, 2,000 small files" "$t2000"
printf '%-44s %10.2f   (target <= 11)\n' "time 2,000 files / 200 files" "$growth"
