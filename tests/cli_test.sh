#!/usr/bin/env bash
# kestrum-cli as users run it: exit codes, messages and the exact bytes it writes.
set -u
cli=${KESTRUM_CLI:?set KESTRUM_CLI to the kestrum-cli executable}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
cd "$work" || exit 1

source "$here/check_lib.sh"

printf 'IN;SP1;PA0,0;PD100,100;PU;' >plot.plt
head -c 1300 /dev/urandom >binary.plt

# strings: number, tab, text; sorted; the fixed texts present.
check "strings exit" exits 0 "$cli" strings
check "strings shape" bash -c "! grep -qvP '^\d+\t' '$work/out'"
check "strings sorted" bash -c "cut -f1 '$work/out' | sort -n -c"
check "strings printer" grep -qP '^59142\tPrinter$' "$work/out"

# jobstream with the defaults: the plot bytes, then the end-of-job command.
check "velmar defaults" exits 0 "$cli" jobstream --printer-type velmar plot.plt
{ cat plot.plt; printf '\033.*'; } >want
check "velmar defaults bytes" same_bytes "$work/out" want

check "binary plot unchanged" exits 0 "$cli" jobstream --printer-type velmar binary.plt
{ cat binary.plt; printf '\033.*'; } >want
check "binary plot bytes" same_bytes "$work/out" want

check "no-config" exits 0 "$cli" jobstream --no-config --printer-type velmar binary.plt
check "no-config bytes" same_bytes "$work/out" binary.plt

check "generic" exits 0 "$cli" jobstream --printer-type GENERIC plot.plt
check "generic bytes" same_bytes "$work/out" plot.plt

check "no plot file" exits 0 "$cli" jobstream --printer-type velmar
printf '\033.*' >want
check "no plot file bytes" same_bytes "$work/out" want

# The settings file's printer type is the default.
mkdir -p "$work/config/kestrum"
printf '[Printer]\nPrinterType=Generic\n' >"$work/config/kestrum/kestrum.ini"
check "type from settings" exits 0 "$cli" jobstream plot.plt
check "type from settings bytes" same_bytes "$work/out" plot.plt
check "settings not written" bash -c "! grep -q OutputMode '$work/config/kestrum/kestrum.ini'"

# A configuration written by hand with keys of every group that reaches the header.
"$cli" strings >strings.txt
str() { awk -F'\t' -v n="$1" '$1 == n { print $2 }' strings.txt; }
cat >site.cfg <<CFG
[$(str 59333)]
=1
$(str 59334)=SHEET 1
$(str 59335)=90
$(str 59338)=12
$(str 59336)=150
$(str 59337)=200
[$(str 59142)]
$(str 59143)=2
$(str 59144)=3
$(str 59146)=$(str 59437)
$(str 59148)=$(str 59433)
$(str 59149)=$(str 59447)
$(str 59150)=$(str 59448) $(str 59447)
$(str 59151)=$(str 59164)
$(str 59152)=$(str 59158)
[$(str 59385)]
$(str 59387)=90
[HPGL PEN2]
$(str 59391)=4
[$(str 59348)]
$(str 59356)=2
[CC PEN1]
$(str 59362)=50
[$(str 59489)]
$(str 59498)=90
$(str 59497)=$(str 59500)
CFG
check "hand-written config" exits 0 "$cli" jobstream --printer-type velmar --config site.cfg plot.plt
printf '\033.CCPEN 1 = G50:\033.CC#SYNC 2:\033.TEXT O90 P12 C150 L200 G100 S0:SHEET 1\0\033.HPPEN 2 = W4:\033.HPROT 90:\033.COPY3:\033.FORMAT HP:\033.PRMODE RAS:\033.TRAY 1:\033.MEDIA VELLUM:\033.PGSCALE ED:\033.PAGESIZE D:\033.FOLDER ON:\033.FOLDER 1:\033.GR9Z\033.GTG4:' >want
cat plot.plt >>want
printf '\0%.0s' $(seq 32) >>want
printf 'DONE' >>want
check "hand-written config bytes" same_bytes "$work/out" want

check "set-current terminator" exits 0 "$cli" jobstream --printer-type velmar --set-current --config site.cfg
check "set-current bytes" grep -q "COPY3!" "$work/out"
check "rch from config" exits 0 "$cli" jobstream --printer-type oce9400 --config site.cfg
printf 'BEGMF "RCH file";\r\nMFVERSION 1;\r\nMFDESC "Oce Graphics Configuration format V1.00";\r\nAPPLDATA 002 "CO=3";\r\nAPPLDATA 021 "RN=1";\r\nENDMF;\r\n' >want
check "rch bytes" same_bytes "$work/out" want

# --current-settings takes default.cfg from the working directory.
cp site.cfg default.cfg
check "default.cfg" exits 0 "$cli" jobstream --printer-type velmar
check "default.cfg used" grep -q "COPY3:" "$work/out"
rm default.cfg

# The stamp's time comes from --now.
printf '[%s]\n=1\n%s=T\n%s=%s\n%s=%s\n' "$(str 59333)" "$(str 59334)" "$(str 59339)" "$(str 59524)" "$(str 59340)" "$(str 59524)" >stamp.cfg
check "stamp with --now" exits 0 "$cli" jobstream --printer-type velmar --config stamp.cfg --now 2026-12-07T09:05:02
check "stamp time and date" grep -qa "T  09:05:02  12/7/2026" "$work/out"

# Configuration values that do not fit their field, or carry control characters, never reach the
# controller as commands: numbers beyond their field count as not set, control characters in texts
# are dropped. Each row: section, key=value, the header wanted (^ for ESC, @ for the zero byte).
esc=$(printf '\033')
while IFS='|' read -r section entry wanted; do
    printf '[%s]\n%s\n' "$section" "$entry" >bad.cfg
    [ "$section" = "$(str 59333)" ] && printf '=1\n' >>bad.cfg
    check "config value $entry" exits 0 "$cli" jobstream --printer-type velmar --config bad.cfg
    printf '%s' "$wanted" | tr '^@' '\033\000' >want
    printf '\033.*' >>want
    check "config value $entry bytes" same_bytes "$work/out" want
done <<ROWS
$(str 59333)|$(str 59336)=4294967296|^.TEXT O0 P8 C0 L0 G100 S0:@
$(str 59333)|$(str 59337)=70000|^.TEXT O0 P8 C0 L0 G100 S0:@
$(str 59333)|$(str 59334)=A$esc.FORMAT PS:B|^.TEXT O0 P8 C0 L0 G100 S0:A.FORMAT PS:B@
$(str 59142)|$(str 59144)=100000000000000000000000|
$(str 59142)|$(str 59144)=1e23|^.COPY1:
ROWS

# Bad input: a clear message and exit 2.
check "missing config" exits 2 "$cli" jobstream --config nosuch.cfg
check "missing config names it" stderr_has "nosuch.cfg"
check "garbage config" bash -c "head -c 20000 /dev/urandom >garbage.cfg; '$cli' jobstream --printer-type velmar --config garbage.cfg plot.plt >/dev/null"
check "missing plot" exits 2 "$cli" jobstream nosuch.plt
check "missing plot names it" stderr_has "nosuch.plt"
check "folder as plot" exits 2 "$cli" jobstream "$work"
check "bad --now" exits 2 "$cli" jobstream --now 2026-13-01T00:00:00
check "bad --now names it" stderr_has "2026-13-01T00:00:00"
check "bad --now shape" exits 2 "$cli" jobstream --now 2026-1-01T00:00:00
check "bad printer type" exits 2 "$cli" jobstream --printer-type laser
check "unknown option" exits 2 "$cli" jobstream --colour
check "unknown command" exits 2 "$cli" frobnicate
check "two config choices" exits 2 "$cli" jobstream --no-config --current-settings
check "no command" exits 2 "$cli"

# Impossible dates and times are refused, not carried into the stamp.
for now in 2024-02-31T23:59:59 2023-02-29T12:00:00 2024-04-31T00:00:00 2024-01-01T24:00:00 \
    2024-01-01T23:60:00 0000-01-01T00:00:00; do
    check "impossible --now $now" exits 2 "$cli" jobstream --now "$now"
    check "impossible --now $now named" stderr_has "$now"
done
check "leap day --now" exits 0 "$cli" jobstream --printer-type velmar --config stamp.cfg --now 2024-02-29T23:59:59
check "leap day stamp" grep -qa "T  23:59:59  2/29/2024" "$work/out"

# The usage lines' own orders, sent to hot folders (no scheduler needed). Each --printer takes
# exactly one name, so a plot file after it is a plot file.
send_ini="$work/send-config"
mkdir -p "$send_ini/kestrum" "$work/site"
printf '[HotFolders]\nSite=%s\n' "$work/site" >"$send_ini/kestrum/kestrum.ini"
default_hot="$work/data/kestrum/hotfolder"
hot_jobs() { [ "$(ls -A "$1" 2>/dev/null | wc -l)" -eq "$2" ] || { echo "  $1 holds:"; ls -A "$1"; return 1; }; }
in_send_env() { env XDG_CONFIG_HOME="$send_ini" "$@"; }
check "send --printer NAME FILE" exits 0 in_send_env "$cli" send --printer Site plot.plt
check "send --printer NAME FILE job" hot_jobs "$work/site" 1
check "send --printer NAME FILE bytes" same_bytes "$work/site/$(ls -A "$work/site" | head -1)" plot.plt
rm -f "$work/site"/*
check "send two printers then files" exits 0 in_send_env "$cli" send --copies 2 --reverse \
    --pause-ms 0 --no-config --printer Site --printer "Hot folder" plot.plt binary.plt
check "send two printers site job" hot_jobs "$work/site" 1
check "send two printers default job" hot_jobs "$default_hot" 1
cat binary.plt plot.plt binary.plt plot.plt >want
check "send two printers bytes" same_bytes "$work/site/$(ls -A "$work/site" | head -1)" want
rm -f "$work/site"/* "$default_hot"/*
check "send options after files" exits 0 in_send_env "$cli" send plot.plt --printer Site --pause-ms 0
check "send options after files job" hot_jobs "$work/site" 1
rm -f "$work/site"/*
check "send --printer takes one name" exits 2 in_send_env "$cli" send --printer Site "Hot folder"
check "send --printer one name: no job" hot_jobs "$work/site" 0
check "send-config one printer" exits 2 "$cli" send-config --config site.cfg --printer a --printer b
check "send-config printer then word" exits 2 "$cli" send-config --config site.cfg --printer a b

# "Hot folder" is listed whatever else is there.
check "printers with a hot folder" exits 0 in_send_env "$cli" printers
check "printers lists the configured folder" grep -qx Site "$work/out"
check "printers lists the default folder" grep -qx "Hot folder" "$work/out"

check "help" exits 0 "$cli" --help
check "help lists jobstream" grep -q jobstream "$work/out"
check "help lists strings" grep -q strings "$work/out"
check "jobstream help" exits 0 "$cli" jobstream --help
check "jobstream help --now" grep -q -- --now "$work/out"

report_checks
