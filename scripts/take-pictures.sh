#!/usr/bin/env bash
# Writes a PNG of every view and dialog of the desktop program into OUTDIR, without a display.
# Usage: scripts/take-pictures.sh OUTDIR [BUILD_DIR]
# The pictures are taken with fresh settings in a temporary folder, so your own stay untouched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: take-pictures.sh OUTDIR [BUILD_DIR]}
build=${2:-$root/build}
mkdir -p "$out"
out=$(cd "$out" && pwd)
program="$build/cli/kestrum"
[ -x "$program" ] || cmake --build "$build" --target kestrum
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config" "$scratch/work"
cp "$root"/samples/*.cfg "$scratch/work/" 2>/dev/null || true
cd "$scratch/work"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    CUPS_SERVER="$scratch/no-scheduler" "$program" --pictures "$out"
ls "$out"/*.png | wc -l | xargs echo "pictures written to $out:"
