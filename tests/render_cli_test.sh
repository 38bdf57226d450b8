#!/usr/bin/env bash
# Drawings through kestrum-cli: render, preview, and a drawing sent rendered to a hot folder.
set -u
cli=${KESTRUM_CLI:?set KESTRUM_CLI to the kestrum-cli executable}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp"
mkdir -p "$work/config/kestrum" "$work/tmp" "$work/hot"
unset KESTRUM_RENDERER
cd "$work"
source "$here/check_lib.sh"

cp "$here/../samples/bracket.dxf" drawing.dxf
printf 'IN;SP1;PU0,0;PD100,100;\n' >plot.plt
printf 'not a drawing\n' >notes.txt

# Found beside kestrum-cli, as in the build tree.
check "render to standard output" exits 0 "$cli" render drawing.dxf
check "render writes HP-GL/2" bash -c "head -c 3 '$work/out' | grep -qx 'IN;'"
check "render selects pens" grep -q 'SP' "$work/out"
cp out stdout.hpgl
check "render to a file" exits 0 "$cli" render drawing.dxf -o plot.hpgl
check "file equals standard output" same_bytes plot.hpgl stdout.hpgl
check "file as readable as any new file" bash -c "umask 022; '$cli' render drawing.dxf -o mode.hpgl && [ \$(stat -c %a mode.hpgl) = 644 ]"

check "preview" exits 0 "$cli" render drawing.dxf --preview preview.pbm
check "preview is a 300 x 300 PBM" bash -c "head -c 11 preview.pbm | cmp -s - <(printf 'P4\n300 300\n')"
check "preview size" bash -c "[ \$(stat -c %s preview.pbm) -eq $((11 + 38 * 300)) ]"
check "preview has ink" bash -c "tail -c 11400 preview.pbm | tr -d '\\000' | [ \$(wc -c) -gt 100 ]"
check "preview alone writes no HP-GL" bash -c "[ ! -s '$work/out' ]"

check "not a drawing" exits 2 "$cli" render notes.txt
check "not a drawing names it" stderr_has "notes.txt"
check "missing drawing" exits 2 "$cli" render nosuch.dxf
check "renderer unavailable" exits 2 env KESTRUM_RENDERER=/nonexistent/libacadhpgl.so "$cli" render drawing.dxf
check "renderer unavailable says so" stderr_has "renderer is not available"
check "unwritable output" exits 1 "$cli" render drawing.dxf -o /nonexistent/plot.hpgl
check "truncated drawing fails" bash -c "head -c 900 drawing.dxf >cut.dxf; '$cli' render cut.dxf -o cut.hpgl; [ \$? -ne 0 ] && [ ! -e cut.hpgl ]"

# A block that inserts itself, directly and through another block, is drawn once per path and
# the render ends.
printf '%s\n' 0 SECTION 2 BLOCKS \
    0 BLOCK 2 LOOP 10 0 20 0 0 LINE 8 0 10 0 20 0 11 10 21 10 0 INSERT 8 0 2 LOOP 10 1 20 1 \
    0 INSERT 8 0 2 OTHER 10 2 20 0 0 ENDBLK \
    0 BLOCK 2 OTHER 10 0 20 0 0 INSERT 8 0 2 LOOP 10 0 20 3 0 ENDBLK 0 ENDSEC \
    0 SECTION 2 ENTITIES 0 INSERT 8 0 2 LOOP 10 0 20 0 0 ENDSEC 0 EOF >loop.dxf
check "self-inserting block renders" exits 0 timeout 20 "$cli" render loop.dxf
check "self-inserting block drawn" grep -q 'PD' "$work/out"

# An output that cannot be written fails and names it; the drawing's own faults are told apart.
check "full standard output fails" exits 1 bash -c "'$cli' render drawing.dxf >/dev/full"
check "full standard output named" stderr_has "cannot write the plot to standard output"
check "full standard output gives the cause" stderr_has "No space left on device"
check "unwritable file named" exits 1 "$cli" render drawing.dxf -o /dev/full
check "unwritable preview named" exits 1 "$cli" render drawing.dxf --preview /dev/full
check "unwritable preview says so" stderr_has "/dev/full"

# What the plot leaves out is said; a drawing whose plot is empty fails and writes nothing.
printf '%s\n' 0 SECTION 2 ENTITIES 0 LINE 8 0 10 0 20 0 11 10 21 10 0 REGION 8 0 \
    0 ENDSEC 0 EOF >leftout.dxf
check "left-out kinds render" exits 0 "$cli" render leftout.dxf -o leftout.hpgl
check "left-out kinds said" stderr_has "Left out: 1 REGION entity"
printf '%s\n' 0 SECTION 2 ENTITIES 0 POINT 8 Defpoints 10 1 20 1 0 3DSOLID 8 0 0 ENDSEC 0 EOF >empty.dxf
check "empty plot fails" exits 1 "$cli" render empty.dxf -o empty.hpgl
check "empty plot said" stderr_has "The plot is empty"
check "empty plot writes no file" bash -c "[ ! -e empty.hpgl ]"
check "empty preview fails" exits 1 "$cli" render empty.dxf --preview empty.pbm

# A drawing of hatches alone plots them.
printf '%s\n' 0 SECTION 2 ENTITIES 0 HATCH 8 0 2 SOLID 70 1 91 1 92 3 72 0 73 1 93 3 \
    10 0 20 0 10 10 20 0 10 0 20 10 97 0 75 0 76 1 0 ENDSEC 0 EOF >hatch.dxf
check "hatch renders" exits 0 "$cli" render hatch.dxf
check "hatch filled" grep -q 'FP0;' "$work/out"

# A configuration that plots at 1:1 on a custom paper with the colour table's pen 4 for colour 1.
"$cli" strings >strings.txt
str() { awk -F'\t' -v n="$1" '$1 == n { print $2 }' strings.txt; }
cat >site.cfg <<CFG
[$(str 59142)]
$(str 59144)=2
[$(str 59293)]
$(str 59259)=X1700 Y1100
$(str 59274)=1:25.4
[$(str 59280)1]
$(str 59292)=4
$(str 59281)=350
$(str 59283)=0
CFG
check "render with a configuration" exits 0 "$cli" render --config site.cfg drawing.dxf -o site.hpgl
check "colour table pen used" grep -q 'SP4;' site.hpgl
check "pen width used" grep -q 'PW0.350,4;' site.hpgl

# Sent in a list with a plain plot file: the drawing arrives rendered, framed by its header.
printf '[HotFolders]\nHotPlotter=%s\n' "$work/hot" >"$work/config/kestrum/kestrum.ini"
check "send drawing to hot folder" exits 0 "$cli" send --printer HotPlotter --printer-type velmar \
    --pause-ms 0 --config site.cfg drawing.dxf plot.plt
"$cli" jobstream --printer-type velmar --config site.cfg site.hpgl >want
"$cli" jobstream --printer-type velmar --config site.cfg plot.plt >>want
check "hot folder holds one job" bash -c "[ \$(ls -A hot | wc -l) -eq 1 ]"
check "drawing sent rendered" same_bytes "hot/$(ls -A hot | head -1)" want
check "no temporary file left" bash -c "[ -z \"\$(ls -A tmp)\" ]"

report_checks
