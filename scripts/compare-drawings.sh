#!/bin/bash
# Draws each DXF drawing twice, for comparing by eye: once by an independent DXF library
# (python3-ezdxf with python3-matplotlib) and once from the HP-GL/2 that the renderer makes of
# it. Writes NAME.ref.png, NAME.hpgl, NAME.ours.png and NAME.log (the render's standard
# error: what it left out) into OUTDIR, and one summary line per drawing to standard output.
#
# Usage: scripts/compare-drawings.sh KESTRUM_CLI OUTDIR DRAWING...
set -u
cli=$1 out=$2
shift 2
mkdir -p "$out"
python=/usr/bin/python3
for drawing in "$@"; do
    name=$(basename "${drawing%.*}")
    "$python" - "$drawing" "$out/$name.ref.png" <<'PY' 2>"$out/$name.ref.log"
import sys
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
import ezdxf
from ezdxf.addons.drawing import Frontend, RenderContext
from ezdxf.addons.drawing.matplotlib import MatplotlibBackend
try:
    doc = ezdxf.readfile(sys.argv[1])
except ezdxf.DXFStructureError:
    from ezdxf import recover  # tolerates old group orders and damage
    doc, _ = recover.readfile(sys.argv[1])
figure = plt.figure(figsize=(6, 6))
axes = figure.add_axes([0, 0, 1, 1])
context = RenderContext(doc)
context.set_current_layout(doc.modelspace())
Frontend(context, MatplotlibBackend(axes)).draw_layout(doc.modelspace(), finalize=True)
figure.savefig(sys.argv[2], dpi=100, facecolor="white")
PY
    ref=$?
    start=$(date +%s.%N)
    "$cli" render -o "$out/$name.hpgl" "$drawing" 2>"$out/$name.log"
    rendered=$?
    seconds=$(echo "$(date +%s.%N) - $start" | bc)
    if [ "$rendered" -eq 0 ]; then
        "$cli" preview --size 600 -o "$out/$name.ours.png" "$out/$name.hpgl" >/dev/null 2>&1
    fi
    printf '%s\tref=%s\trender=%s\t%.2fs\t%s\n' "$name" "$ref" "$rendered" "$seconds" \
        "$(tr '\n' ' ' <"$out/$name.log" | cut -c1-160)"
done
