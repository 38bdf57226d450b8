#!/usr/bin/env bash
# The command interface under a burst of pokes: the desktop program offscreen on a private
# session bus, one AddFile poke's answer time and 10,000 pokes in a row, and how much the
# program's resident memory grows with the 10,000 entries (and again after the list was cleared
# and filled once more: it must not grow without bound).
# Usage: bench/command_bench.sh KESTRUM COMMAND_POKE_BENCH [POKES]
set -euo pipefail
if [ -z "${KESTRUM_BENCH_PRIVATE_BUS:-}" ]; then
    if ! command -v dbus-run-session >/dev/null; then
        echo "command interface bench skipped: dbus-run-session is not installed"
        exit 0
    fi
    KESTRUM_BENCH_PRIVATE_BUS=1 exec dbus-run-session -- bash "${BASH_SOURCE[0]}" "$@"
fi
program=$(realpath "${1:?usage: command_bench.sh KESTRUM COMMAND_POKE_BENCH [POKES]}")
client=$(realpath "${2:?usage: command_bench.sh KESTRUM COMMAND_POKE_BENCH [POKES]}")
pokes=${3:-10000}
scratch=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/config" "$scratch/work"
printf 'IN;SP1;PA0,0;PD100,100;PU;' >"$scratch/work/a.plt"
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$scratch/config" CUPS_SERVER="$scratch/none"
cd "$scratch/work"

rss() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"; }
# The program's own processor time in clock ticks: what a poke costs it, whatever the load.
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }

"$program" >/dev/null 2>&1 &
pid=$!
# A first short run waits for the program's name and warms both sides up.
"$client" --pokes 10 "$scratch/work/a.plt" >/dev/null
sleep 1
before=$(rss)
cpu_before=$(cpu)
"$client" --pokes "$pokes" --keep "$scratch/work/a.plt"
cpu_after=$(cpu)
sleep 1  # the launcher shows the new entries shortly after the burst
filled=$(rss)
"$client" --pokes "$pokes" --keep "$scratch/work/a.plt" >/dev/null
sleep 1
refilled=$(rss)
ticks=$(getconf CLK_TCK)
echo "program processor time for $pokes pokes: $(((cpu_after - cpu_before) * 1000 / ticks)) ms" \
     "($(((cpu_after - cpu_before) * 1000000 / ticks / pokes)) us a poke)"
echo "program resident memory: ${before} KiB idle, +$((filled - before)) KiB with $pokes entries" \
     "($(((filled - before) * 1024 / pokes)) bytes an entry), +$((refilled - before)) KiB after" \
     "clearing and adding $pokes again; load average $(cut -d' ' -f1 /proc/loadavg)"
