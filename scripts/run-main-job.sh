#!/usr/bin/env bash
# The main job: send every bundled sample plot file and the sample drawing (rendered to HP-GL/2
# on the way) with samples/sample.cfg to Kestrum's default hot folder, through the delivery
# worker, then say where the job went.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${KESTRUM_CLI:-$root/build/cli/kestrum-cli}
hotfolder=${XDG_DATA_HOME:-$HOME/.local/share}/kestrum/hotfolder

plots=("$root"/samples/*.plt "$root"/samples/*.hpgl "$root"/samples/*.dxf)
mkdir -p "$hotfolder"
before=$(ls "$hotfolder" | wc -l)
"$cli" send --printer "Hot folder" --printer-type velmar --pause-ms 0 \
    --config "$root/samples/sample.cfg" "${plots[@]}"
newest=$(ls -t "$hotfolder" | head -n 1)
echo "Sent ${#plots[@]} plot file(s) as one job: $hotfolder/$newest ($(stat -c %s "$hotfolder/$newest") bytes)"
echo "($(( $(ls "$hotfolder" | wc -l) - before )) new job file(s) in the hot folder $hotfolder)"
