#!/usr/bin/env bash
# The main job: compose every bundled sample plot file with samples/sample.cfg and deliver
# each job stream into Kestrum's default hot folder, then say where it went.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${KESTRUM_CLI:-$root/build/cli/kestrum-cli}
data=${XDG_DATA_HOME:-$HOME/.local/share}/kestrum
hotfolder=$data/hotfolder
mkdir -p "$hotfolder"

stamp=$(date +%Y%m%d-%H%M%S)
n=0
for plot in "$root"/samples/*.plt "$root"/samples/*.hpgl; do
    [ -e "$plot" ] || continue
    n=$((n + 1))
    name=$(printf '%s-%03d-%s.job' "$stamp" "$n" "$(basename "$plot")")
    # Written under a temporary name and renamed, so a printer watching the folder never sees
    # half a job.
    "$cli" jobstream --printer-type velmar --config "$root/samples/sample.cfg" "$plot" \
        >"$hotfolder/.$name.part"
    mv "$hotfolder/.$name.part" "$hotfolder/$name"
    echo "sent $(basename "$plot") -> $hotfolder/$name ($(stat -c %s "$hotfolder/$name") bytes)"
done
echo "$n job(s) delivered to the hot folder $hotfolder"
