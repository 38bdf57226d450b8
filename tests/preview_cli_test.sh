#!/usr/bin/env bash
# kestrum-cli preview: pictures of plot files and drawings as PNG images, and its failures.
set -u
cli=${KESTRUM_CLI:?set KESTRUM_CLI to the kestrum-cli executable}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp"
mkdir -p "$work/config/kestrum" "$work/tmp"
unset KESTRUM_RENDERER
cd "$work"
source "$here/check_lib.sh"

# Prints the picture's size and the pixels asked for (x,y ...) as 0 (ink) or 1 (paper). Only what
# libpng writes for a grey picture is understood: eight bits, no interlace.
cat >png_pixels.py <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
at, idat = 8, b""
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    if kind == b"IHDR":
        width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        assert depth == 8 and colour == 0, "not eight-bit grey"
    if kind == b"IDAT":
        idat += body
    at += 12 + length
raw, rows, previous = zlib.decompress(idat), [], bytearray(width)
for y in range(height):
    kind, line = raw[y * (width + 1)], bytearray(raw[y * (width + 1) + 1:(y + 1) * (width + 1)])
    for x in range(width):
        a = line[x - 1] if x else 0
        b, c = previous[x], previous[x - 1] if x else 0
        p = a + b - c
        pred = {0: 0, 1: a, 2: b, 3: (a + b) // 2,
                4: a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else (b if abs(p - b) <= abs(p - c) else c)}[kind]
        line[x] = (line[x] + pred) & 255
    rows.append(line)
    previous = line
print(" ".join([str(width), str(height)] + ["1" if rows[int(y)][int(x)] > 127 else "0"
                                             for x, y in (p.split(",") for p in sys.argv[2:])]))
PY
pixels() { python3 png_pixels.py "$@"; }
is() {  # is WANTED COMMAND...: the command prints WANTED
    local got; got=$("${@:2}")
    [ "$got" = "$1" ] || { echo "  got '$got', wanted '$1'"; return 1; }
}

printf 'IN;SP1;PU0,0;PD1000,0,1000,1000,0,1000,0,0;\n' >square.plt
printf 'IN;SP1;PU0,0;PD1000,1000;PU0,1000;PD1000,0;\n' >cross.hpgl
printf 'IN;SP1;PU0,0;PD1000,1000;\x80\x81PU0,1000;PD1000,0;\n' >damaged.plt
printf '\033%%-12345X@PJL ENTER LANGUAGE=HPGL2\r\n\033E\033%%1BIN;SP1;PU0,0;PD1000,1000;\033%%0A\033E\033%%-12345X' >wrapped.plt
printf 'Instructions for the plot room.\n' >notes.txt
cp "$here/../samples/bracket.dxf" drawing.dxf

check "square" exits 0 "$cli" preview square.plt -o square.png
check "square's corners and middle" is "300 300 0 0 0 1" pixels square.png 0,0 299,299 150,0 150,150
check "square at 64" exits 0 "$cli" preview square.plt -o small.png --size 64
check "square's size" is "64 64 0 0 1" pixels small.png 0,0 63,63 32,32
check "cross at 480" exits 0 "$cli" preview cross.hpgl -o cross.png --size 480
check "cross's diagonals" is "480 480 0 0 0 1" pixels cross.png 0,479 479,0 240,240 240,0
check "picture as readable as any new file" bash -c "umask 022; '$cli' preview square.plt -o mode.png && [ \$(stat -c %a mode.png) = 644 ]"
check "wrapped in job languages" exits 0 "$cli" preview wrapped.plt -o wrapped.png
check "wrapped diagonal" is "300 300 0 0 1" pixels wrapped.png 0,299 299,0 0,0

check "damaged plot drawn up to the damage" exits 0 "$cli" preview damaged.plt -o damaged.png
check "damage is reported" stderr_has "damaged.plt, byte 25"
check "only the first line drawn" is "300 300 0 1" pixels damaged.png 0,299 0,0

check "drawing" exits 0 "$cli" preview drawing.dxf -o drawing.png --size 150
check "drawing has ink" bash -c "python3 png_pixels.py drawing.png \$(for x in \$(seq 0 3 149); do for y in \$(seq 0 3 149); do printf '%s,%s ' \$x \$y; done; done) | grep -q ' 0'"
check "drawing's size" is "150 150" bash -c "python3 png_pixels.py drawing.png"
# Larger than the renderer's own picture, the drawing is drawn at the size asked for: the plate's
# top and bottom edges stay one pixel thick instead of being enlarged.
ink_down_column() {  # ink_down_column PICTURE X SIZE: how many ink pixels column X holds
    python3 png_pixels.py "$1" $(for y in $(seq 0 $(($3 - 1))); do printf '%s,%s ' "$2" "$y"; done) |
        tr ' ' '\n' | tail -n +3 | grep -c '^0'
}
check "drawing at 600" exits 0 "$cli" preview drawing.dxf -o large.png --size 600
check "drawing drawn at 600" is "2" ink_down_column large.png 450 600
check "drawing without the renderer" exits 2 env KESTRUM_RENDERER=/nonexistent/libacadhpgl.so "$cli" preview drawing.dxf -o nodrawing.png

check "not a plot" exits 2 "$cli" preview notes.txt -o notes.png
check "not a plot says so" stderr_has "neither an HP-GL"
check "not a plot names it" stderr_has "notes.txt"
check "nothing written for it" test ! -e notes.png
check "missing plot" exits 2 "$cli" preview nosuch.plt -o nosuch.png
check "missing plot names it" stderr_has "nosuch.plt"
mkfifo pipe.plt
check "a pipe is refused, not waited on" exits 2 timeout 20 "$cli" preview pipe.plt -o pipe.png
check "a pipe is named" stderr_has "pipe.plt: it is not a regular file"
check "size zero" exits 2 "$cli" preview square.plt -o zero.png --size 0
check "no output named" exits 2 "$cli" preview square.plt

check "full device" exits 1 "$cli" preview square.plt -o /dev/full
check "full device named" stderr_has "/dev/full"
check "unwritable folder" exits 1 "$cli" preview square.plt -o /nonexistent/square.png
check "unwritable folder named" stderr_has "/nonexistent/square.png"
[ "$(id -u)" -eq 0 ] || check "a failed write keeps the old picture" bash -c "cp square.png keep.png; chmod a-w .; '$cli' preview cross.hpgl -o keep.png 2>/dev/null; status=\$?; chmod u+w .; [ \$status -eq 1 ] && cmp -s keep.png square.png"
check "standard output" bash -c "'$cli' preview square.plt -o /dev/stdout | cmp -s - square.png"

report_checks
