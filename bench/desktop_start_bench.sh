#!/usr/bin/env bash
# Start-up of the desktop program to a shown main window, with a full default.cfg (every section
# a saved configuration holds), and the idle program's resident memory.
# Usage: bench/desktop_start_bench.sh KESTRUM KESTRUM_CLI [RUNS]
set -euo pipefail
program=${1:?usage: desktop_start_bench.sh KESTRUM KESTRUM_CLI [RUNS]}
cli=${2:?usage: desktop_start_bench.sh KESTRUM KESTRUM_CLI [RUNS]}
runs=${3:-10}
program=$(realpath "$program")
cli=$(realpath "$cli")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config" "$scratch/work"

# The section names are language strings: take them from the program's own table.
declare -A text
while IFS=$'\t' read -r number value; do text[$number]=$value; done < <("$cli" strings)
{
    for s in 59333 59142 59385 59348 59489 59293; do
        printf '[%s]\n' "${text[$s]}"
        for k in 1 2 3 4 5 6 7 8; do printf 'Key%d=%d\n' "$k" "$k"; done
    done
    for p in $(seq 1 15); do printf '[HPGL PEN%d]\n%s=%d\n' "$p" "${text[59391]}" "$p"; done
    for p in $(seq 1 15); do printf '[CC PEN%d]\n%s=%d\n' "$p" "${text[59359]}" "$p"; done
    for c in $(seq 1 256); do
        printf '[%s%d]\n%s=%d\n%s=0\n' "${text[59280]}" "$c" "${text[59281]}" $(( (c % 15) + 1 )) "${text[59283]}"
    done
} > "$scratch/work/default.cfg"
sections=$(grep -c '^\[' "$scratch/work/default.cfg")

export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$scratch/config" CUPS_SERVER="$scratch/none"
cd "$scratch/work"
"$program" --quit-when-shown >/dev/null 2>&1 || true  # first start writes the settings file
best=""
total=0
inner_best=""
for _ in $(seq 1 "$runs"); do
    start=$(date +%s%N)
    inner=$("$program" --quit-when-shown 2>&1 >/dev/null | sed -n 's/.*shown after \([0-9]*\) ms.*/\1/p')
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    total=$((total + ms))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    if [ -n "$inner" ] && { [ -z "$inner_best" ] || [ "$inner" -lt "$inner_best" ]; }; then inner_best=$inner; fi
done
echo "desktop start-up, default.cfg of $sections sections: process start to exit after the shown" \
     "window best ${best} ms, mean $((total / runs)) ms; main() to shown window best ${inner_best} ms" \
     "over $runs runs (target < 300 ms); load average $(cut -d' ' -f1 /proc/loadavg)"

"$program" >/dev/null 2>&1 &
pid=$!
sleep 2
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
kill -TERM "$pid"
wait "$pid" || true
echo "idle desktop program resident memory: $((rss / 1024)) MiB (${rss} KiB; target < 60 MiB)"
