#!/usr/bin/env bash
# Peak resident memory of kestrum-cli for long lists: one send of many small plot files, and one
# send of a launch file of as many entries (each carrying a saved settings record, as the
# launcher writes them). Sent to a hot folder, so no scheduler is needed.
#
#   bench/memory_bench.sh KESTRUM-CLI [ENTRIES]      (ENTRIES: default 20000)
set -u
cli=${1:?usage: memory_bench.sh KESTRUM-CLI [ENTRIES]}
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
count=${2:-20000}
timer=/usr/bin/time
[ -x "$timer" ] || { echo "memory_bench: /usr/bin/time is missing (Debian package time)"; exit 1; }

work=$(mktemp -d /tmp/kestrum-membench-XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp"
mkdir -p "$XDG_CONFIG_HOME/kestrum" "$TMPDIR" "$work/hot" "$work/plots"
printf '[HotFolders]\nHot=%s\n' "$work/hot" >"$XDG_CONFIG_HOME/kestrum/kestrum.ini"

for i in $(seq 1 "$count"); do printf 'IN;SP1;PA%d,0;' "$i" >"$work/plots/p$i.plt"; done

# A launch file in the stored layout: every entry with the same saved record, the usual case.
python3 - "$work/list.lch" "$work/plots" "$count" <<'PY'
import struct, sys
def text(v):
    d = v.encode()
    return bytes([len(d)]) + d if len(d) < 255 else b"\xff" + struct.pack("<H", len(d)) + d
empty = text("")
pens = (empty * 2 + bytes(10) + empty * 3) * 15
record = struct.pack("<H", 5646)
record += bytes(3) + empty * 2 + bytes(3) + empty * 2 + bytes(81)
record += bytes(2) + empty + bytes(20 + 16 + 11 + 10 + 25)
record += text("/cfg/site.cfg") + struct.pack("<i", 0) + bytes([1])
record += bytes(4 * 11 + 16) + pens
record += empty * 4 + bytes(11) + empty * 3 + bytes(22) + pens
record += empty * 10 + bytes(1) + empty * 12 + empty * 3 * 256
record += struct.pack("<ii", 0, 0) + bytes(31)
out, folder, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
with open(out, "wb") as f:
    f.write(text("this is good") + struct.pack("<I", n))
    for i in range(1, n + 1):
        f.write(text(f"{folder}/p{i}.plt") + struct.pack("<i", 0) + empty + empty)
        f.write(record + struct.pack("<H", 1) + text("/refs"))
PY

peak() {  # peak LABEL COMMAND...: prints the command's peak resident memory
    rm -f "$work"/hot/*
    "$timer" -f '%M' -o "$work/rss" "$@" >/dev/null 2>"$work/err" || {
        echo "memory_bench: $1 failed:"; tail -3 "$work/err"; exit 1; }
    printf '%-34s %8.1f MiB\n' "$label" "$(awk '{ print $1 / 1024 }' "$work/rss")"
}
echo "kestrum-cli peak resident memory, $count entries:"
label="send of $count plot files"
peak "$cli" send --printer Hot --pause-ms 0 --no-config "$work"/plots/*.plt
label="send of a $count-entry launch file"
peak "$cli" send --printer Hot --pause-ms 0 --launch-file "$work/list.lch"
label="launch file size"
printf '%-34s %8.1f MiB\n' "$label" "$(stat -c %s "$work/list.lch" | awk '{ print $1 / 1048576 }')"
