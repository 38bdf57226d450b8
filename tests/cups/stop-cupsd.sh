#!/usr/bin/env bash
# Stops a scheduler that start-cupsd.sh started and removes its folder:
#   tests/cups/stop-cupsd.sh "$KESTRUM_CUPS_DIR"
# Touches nothing but that folder and the processes whose ids it recorded there.
set -uo pipefail

dir="${1:-}"
case "$(basename -- "$dir")" in
    kestrum-cups-*) ;;
    *) echo "stop-cupsd.sh: $dir is not a folder of start-cupsd.sh" >&2; exit 2 ;;
esac
[ -f "$dir/cupsd.conf" ] || exit 0

# A recorded id counts only while it still names the process started there: ids are reused.
owns() { { tr '\0' ' ' <"/proc/$1/cmdline"; } 2>/dev/null | grep -qF -- "$2"; }

if [ -f "$dir/cupsd.pid" ]; then
    pid="$(cat "$dir/cupsd.pid")"
    rm -f "$dir/cupsd.pid"
    if owns "$pid" "$dir/cupsd.conf"; then
        kill -TERM "$pid" 2>/dev/null
        for _ in $(seq 1 50); do owns "$pid" "$dir/cupsd.conf" || break; sleep 0.1; done
        owns "$pid" "$dir/cupsd.conf" && kill -KILL "$pid" 2>/dev/null
    fi
fi

# The watchdog ends by itself once cupsd.pid is gone; when it is the caller, leave it be.
if [ -f "$dir/watchdog.pid" ]; then
    watchdog="$(cat "$dir/watchdog.pid")"
    if [ "$watchdog" != "$PPID" ] && owns "$watchdog" "start-cupsd.sh"; then
        kill -TERM "$watchdog" 2>/dev/null
    fi
fi

rm -rf -- "$dir"
exit 0
