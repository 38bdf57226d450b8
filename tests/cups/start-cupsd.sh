#!/usr/bin/env bash
# Starts a private CUPS scheduler for the tests and benchmarks, apart from any system scheduler:
# its own configuration, spool, cache, state and log folders, listening only on a Unix socket.
#
#   eval "$(tests/cups/start-cupsd.sh [--owner PID] [--lifetime SECONDS])"
#   ... lpadmin -p NAME -v socket://127.0.0.1:PORT -E -o printer-error-policy=abort-job ...
#   tests/cups/stop-cupsd.sh "$KESTRUM_CUPS_DIR"
#
# On success it prints two lines for the caller to evaluate:
#   export CUPS_SERVER=<socket>        what libcups and the lp tools connect to
#   export KESTRUM_CUPS_DIR=<folder>   what stop-cupsd.sh removes
# Give queues socket:// devices (plotter_emulator.py listens for them): on these machines the file:
# device delivers nothing for raw queues.
# A watchdog stops the scheduler and removes its folder when the process --owner names has gone,
# or after --lifetime seconds (default 900), so a crashed test leaves no scheduler behind.
#
# Exit status: 0 started; 77 no scheduler installed (callers skip); 1 any other failure, with the
# scheduler's log on standard error.
set -euo pipefail

owner=""
lifetime=900
while [ $# -gt 0 ]; do
    case "$1" in
        --owner) owner="$2"; shift 2 ;;
        --lifetime) lifetime="$2"; shift 2 ;;
        *) echo "start-cupsd.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# cupsd and lpstat live in sbin and bin; a normal user's PATH often lacks sbin.
PATH="$PATH:/usr/sbin:/sbin:/usr/local/sbin"
cupsd_bin="$(command -v cupsd || true)"
if [ -z "$cupsd_bin" ] || ! command -v lpstat >/dev/null; then
    echo "start-cupsd.sh: the CUPS scheduler (cupsd, Debian package cups) is not installed" >&2
    exit 77
fi

# Always under /tmp: the socket path must stay short (sun_path holds 108 bytes), and every folder
# from / down must be searchable by others because cupsd runs the backends as an unprivileged user.
dir="$(mktemp -d /tmp/kestrum-cups-XXXXXX)"
chmod 755 "$dir"
mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" "$dir/ssl"
chmod 755 "$dir/etc" "$dir/spool" "$dir/cache" "$dir/state" "$dir/log"
chmod 1777 "$dir/spool/tmp"
socket="$dir/cups.sock"

if [ "$(id -u)" -eq 0 ]; then
    # The Debian defaults: backends run as lp.
    account_lines=""
else
    # A normal user can run a scheduler of its own; it then runs the backends as itself.
    account_lines="User $(id -un)
Group $(id -gn)"
fi

cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerKeychain $dir/ssl
CreateSelfSignedCerts no
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
FileDevice No
$account_lines
EOF

# No authentication: the socket lies in a folder of this run only, and the tests make and remove
# queues and jobs freely. Job history is kept so that tests can read a finished job's state; the
# job files are not.
cat >"$dir/cupsd.conf" <<EOF
LogLevel warn
Listen $socket
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
PreserveJobFiles No
PreserveJobHistory Yes
ErrorPolicy abort-job
DefaultAuthType None
<Location />
  Order deny,allow
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

"$cupsd_bin" -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" \
    </dev/null >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"

ready=0
for _ in $(seq 1 100); do
    answer="$(LC_ALL=C lpstat -h "$socket" -r 2>/dev/null || true)"
    if [ "$answer" = "scheduler is running" ]; then ready=1; break; fi
    kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
    sleep 0.1
done
if [ "$ready" -ne 1 ]; then
    echo "start-cupsd.sh: the private scheduler did not start; its log follows" >&2
    cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
    "$here/stop-cupsd.sh" "$dir" || true
    exit 1
fi

# The watchdog keeps no descriptor of the caller's open, so a caller reading this script's output
# through a pipe sees its end at once.
(
    trap '' HUP
    start=$SECONDS
    while [ $((SECONDS - start)) -lt "$lifetime" ] && [ -e "$dir/cupsd.pid" ]; do
        # An owner that has ended but not yet been reaped is gone too.
        if [ -n "$owner" ]; then
            state="$({ sed 's/.*) //' "/proc/$owner/stat"; } 2>/dev/null | cut -c1)"
            if [ -z "$state" ] || [ "$state" = Z ]; then break; fi
        fi
        sleep 1
    done
    [ -e "$dir/cupsd.pid" ] && "$here/stop-cupsd.sh" "$dir"
) </dev/null >/dev/null 2>&1 &
echo $! >"$dir/watchdog.pid"

echo "export CUPS_SERVER=$socket"
echo "export KESTRUM_CUPS_DIR=$dir"
