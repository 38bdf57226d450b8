#!/usr/bin/env bash
# kestrum-cli send through a real scheduler: a private cupsd with raw queues whose devices are
# emulated plotters, and a hot folder. Compares the bytes the plotter receives with the expected
# job, and checks what is left behind when a send fails or is interrupted.
set -u
cli=${KESTRUM_CLI:?set KESTRUM_CLI to the kestrum-cli executable}
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/cups/scheduler-test-setup.sh" delivery
schedulers=()
cleanup() {
    local pidfile dir
    for pidfile in "$work"/plotter*/emulator.pid; do
        [ -f "$pidfile" ] && kill -TERM "$(cat "$pidfile")" 2>/dev/null
    done
    for dir in "${schedulers[@]}"; do "$here/cups/stop-cupsd.sh" "$dir" >/dev/null 2>&1; done
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp"
mkdir -p "$XDG_CONFIG_HOME/kestrum" "$TMPDIR"
ini="$XDG_CONFIG_HOME/kestrum/kestrum.ini"
cd "$work" || exit 1

source "$here/check_lib.sh"

fails() {  # fails COMMAND...: the command exits non-zero
    "$@" >"$work/out" 2>"$work/err" && { echo "  exit 0, wanted failure: $*"; return 1; }
    return 0
}
empty_folder() { [ -z "$(ls -A "$1")" ] || { echo "  $1 holds:"; ls -la "$1"; return 1; }; }
wait_until() {  # wait_until SECONDS COMMAND...: polls the command every 50 ms
    local limit=$(($1 * 20)); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.05; done
    return 1
}

# One scheduler with one emulated plotter; start_scheduler NAME sets ${NAME}_server and
# ${NAME}_port and leaves the plotter's files in $work/plotter-NAME.
start_scheduler() {
    local name=$1 exports status line
    exports=$("$here/cups/start-cupsd.sh" --owner $$ --lifetime 300)
    status=$?
    if [ "$status" -eq 77 ]; then echo "SKIPPED: no CUPS scheduler"; exit 0; fi
    [ "$status" -eq 0 ] || { echo "FAILED: the private scheduler did not start"; exit 1; }
    local server="" dir=""
    while read -r line; do
        case "$line" in
            "export CUPS_SERVER="*) server=${line#export CUPS_SERVER=} ;;
            "export KESTRUM_CUPS_DIR="*) dir=${line#export KESTRUM_CUPS_DIR=} ;;
        esac
    done <<<"$exports"
    schedulers+=("$dir")
    local port
    port=$("$python" "$here/cups/plotter_emulator.py" --background --time-limit 300 --owner $$ \
        --folder "$work/plotter-$name" --port 0 | awk '/^PORT/ { print $3 }')
    [ -n "$port" ] || { echo "FAILED: the plotter emulator did not start"; exit 1; }
    printf -v "${name}_server" '%s' "$server"
    printf -v "${name}_dir" '%s' "$dir"
    printf -v "${name}_port" '%s' "$port"
}
add_queue() {  # add_queue QUEUE PORT (on the scheduler CUPS_SERVER names)
    lpadmin -p "$1" -v "socket://127.0.0.1:$2" -E -o printer-error-policy=abort-job
}

# job-state of a queue's jobs, one "ID STATE" line each (STATE as ipptool names it: pending,
# processing, canceled, aborted, completed). Without ipptool only "ended" or "open" can be told.
job_states() {
    local queue=$1
    if command -v ipptool >/dev/null; then
        local host
        host=$("$python" -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' \
            "$CUPS_SERVER")
        cat >"$work/get-jobs.test" <<'EOF'
{
    OPERATION Get-Jobs
    GROUP operation-attributes-tag
    ATTR charset attributes-charset utf-8
    ATTR naturalLanguage attributes-natural-language en
    ATTR uri printer-uri $uri
    ATTR keyword which-jobs all
    ATTR keyword requested-attributes job-id,job-state
    DISPLAY job-id
    DISPLAY job-state
}
EOF
        ipptool -c "ipp://$host/printers/$queue" "$work/get-jobs.test" | tail -n +2 | tr ',' ' '
    else
        lpstat -W completed -o "$queue" | awk '{ sub(".*-", "", $1); print $1, "ended" }'
        lpstat -W not-completed -o "$queue" | awk '{ sub(".*-", "", $1); print $1, "open" }'
    fi
}
# The newest job id of a queue (0 when none): jobs after it belong to the next case.
last_job() { job_states "$1" | awk 'BEGIN { m = 0 } $1 > m { m = $1 } END { print m }'; }
# jobs_in QUEUE MARK STATE...: the queue has at least one job after MARK and every one of them
# has ended in one of the STATEs; waits for the scheduler to settle them.
new_states() { job_states "$1" | awk -v m="$2" '$1 > m { print $2 }'; }
all_ended() { ! new_states "$1" "$2" | grep -qE '^(pending|held|processing|stopped|open)$'; }
jobs_in() {
    local queue=$1 mark=$2; shift 2
    wait_until 30 all_ended "$queue" "$mark" || { echo "  jobs of $queue still open:"; job_states "$queue"; return 1; }
    local states
    states=$(new_states "$queue" "$mark" | sort -u)
    [ -n "$states" ] || { echo "  $queue has no job after $mark"; return 1; }
    for state in $states; do
        case " $* ended " in *" $state "*) ;; *) echo "  $queue has a job $state"; job_states "$queue"; return 1 ;; esac
    done
}
# received_jobs NAME COUNT: the plotter NAME has received COUNT whole jobs (waits for them).
count_jobs() { [ "$(find "$work/plotter-$1" -name '*.job' | wc -l)" -ge "$2" ]; }
received_jobs() {
    wait_until 30 count_jobs "$1" "$2"
    local got
    got=$(find "$work/plotter-$1" -name '*.job' | wc -l)
    [ "$got" -eq "$2" ] || { echo "  plotter $1 received $got jobs, wanted $2"; return 1; }
}
newest_job() { find "$work/plotter-$1" -name '*.job' | sort | tail -1; }
clear_plotter() { rm -f "$work/plotter-$1"/*.job "$work/plotter-$1"/*.dropped; }
# Waits for kestrum-cli (in the background, stderr in FILE) to start sending FILENAME.
started_file() { grep -qF -- "$2 (" "$1"; }

"$cli" strings >strings.txt
str() { awk -F'\t' -v n="$1" '$1 == n { print $2 }' strings.txt; }

# Plot files: a text one, a binary one whose size is a multiple of 512 (the worker's last read
# of it returns nothing, which must not end the upload), and an empty one.
printf 'IN;SP1;PA0,0;PD100,100;PU;' >a.plt
head -c 1024 /dev/urandom >b.plt
# A small configuration with header commands and Copies 2.
printf '[%s]\n%s=2\n%s=3\n' "$(str 59142)" "$(str 59145)" "$(str 59144)" >two.cfg
stream() {  # stream FILE: one copy's JobStream of FILE with two.cfg
    "$cli" jobstream --printer-type velmar --config two.cfg "$1"
}
stream a.plt >a.stream && stream b.plt >b.stream
check "header present" grep -q "COPY3" a.stream

# write_launch_file OUT [PATH CONFIGURATION RENDERED]...: a launch file written byte by byte as
# the format lays it out, independently of Kestrum's writer. Each entry's saved record is a
# plain one whose current configuration is decoy.cfg, and it names one reference folder: a send
# must use neither.
write_launch_file() {
    "$python" - "$@" <<'EOF'
import os, struct, sys

def text(value):
    data = os.fsencode(value) if isinstance(value, str) else value
    n = len(data)
    if n < 255:
        return bytes([n]) + data
    if n < 0xFFFE:
        return b"\xff" + struct.pack("<H", n) + data
    return b"\xff\xff\xff" + struct.pack("<I", n) + data

empty = text(b"")
pens = (empty * 2 + bytes(10) + empty * 3) * 15

def record(current):
    r = struct.pack("<H", 5646)
    r += bytes(3) + empty * 2 + bytes(3) + empty * 2 + bytes(81)   # text stamp
    r += bytes(2) + empty + bytes(20 + 16 + 11 + 10 + 25)          # job options
    r += text(current) + struct.pack("<i", 0) + bytes([1])         # configuration, flag, kind
    r += bytes(4 * 11 + 16) + pens                                 # HP-GL
    r += empty * 4 + bytes(11) + empty * 3 + bytes(22) + pens      # CalComp
    r += empty * 10                                                # raster
    r += bytes(1) + empty * 12                                     # AutoCAD options
    r += empty * 3 * 256                                           # colour table
    return r + struct.pack("<ii", 0, 0) + bytes(31)

out, fields = sys.argv[1], sys.argv[2:]
entries = [fields[i:i + 3] for i in range(0, len(fields), 3)]
with open(out, "wb") as f:
    f.write(text("this is good") + struct.pack("<I", len(entries)))
    for path, configuration, rendered in entries:
        f.write(text(path) + struct.pack("<i", 0) + text(rendered) + text(configuration))
        f.write(record(os.path.abspath("decoy.cfg")))
        f.write(struct.pack("<H", 1) + text("/decoy/references"))
EOF
}

start_scheduler main
export CUPS_SERVER=$main_server
add_queue plotter "$main_port"

# --- Hot folder first: it needs no scheduler, and the printer list holds both kinds.
mkdir -p hot
printf '[HotFolders]\nHotPlotter=%s\n' "$work/hot" >"$ini"
check "printers lists the hot folder" exits 0 "$cli" printers
check "printers lists the hot folder name" grep -qx HotPlotter "$work/out"
check "printers lists the queue" grep -qx plotter "$work/out"
check "hot folder send" exits 0 "$cli" send --printer HotPlotter --printer-type velmar \
    --pause-ms 0 --config two.cfg a.plt b.plt
cat a.stream a.stream b.stream b.stream >want
check "hot folder one job" bash -c "[ \$(ls -A '$work/hot' | wc -l) -eq 1 ]"
check "hot folder bytes" same_bytes "$work/hot/$(ls -A "$work/hot" | head -1)" want

# A queue script carries its configuration whole for every printer type, a stamp included,
# although only Velmar prints stamps.
rm -f hot/*
printf '[HotFolders]\nHotPlotter=%s\n[Printer]\nPrinterType=Generic\n' "$work/hot" >"$ini"
printf '[%s]\n=1\n%s=STAMPED BY KESTRUM\n' "$(str 59333)" "$(str 59334)" >stamped.cfg
check "generic ksl send-config" exits 0 "$cli" send-config --config stamped.cfg \
    --printer HotPlotter --mode ksl
check "generic ksl script keeps the stamp" bash -c "grep -q 'STAMPED BY KESTRUM' '$work'/hot/*"
rm -f "$ini" hot/*

# --- Per set: each entry's EntryCopies in a row, the whole list once per set.
mark=$(last_job plotter)
check "per-set send" exits 0 "$cli" send --printer plotter --printer-type velmar --pause-ms 0 \
    --copies 2 --config two.cfg a.plt b.plt
check "per-set one job" received_jobs main 1
cat a.stream a.stream b.stream b.stream a.stream a.stream b.stream b.stream >want
check "per-set bytes A A B B A A B B" same_bytes "$(newest_job main)" want
check "per-set job completed" jobs_in plotter "$mark" completed

# Per set in reverse order: the list from its last entry.
clear_plotter main
check "reverse per-set send" exits 0 "$cli" send --printer plotter --printer-type velmar \
    --pause-ms 0 --reverse --config two.cfg a.plt b.plt
check "reverse per-set one job" received_jobs main 1
cat b.stream b.stream a.stream a.stream >want
check "reverse per-set bytes B B A A" same_bytes "$(newest_job main)" want

# Collated: framed once, the controller makes the copies; reverse order only shows as " REV".
clear_plotter main
check "collated send" exits 0 "$cli" send --printer plotter --printer-type velmar --pause-ms 0 \
    --collated --reverse --copies 2 --config two.cfg a.plt b.plt
check "collated one job" received_jobs main 1
{ printf '\033.JOBSTART COL REV COPIES=2:'; cat a.stream a.stream b.stream b.stream;
  printf '\033.JOBEND:'; } >want
check "collated bytes" same_bytes "$(newest_job main)" want

# A launch file whose entries carry their own configurations: A with x.cfg, A with the current
# settings (default.cfg), B with z.cfg. Per set the whole list in order, each copy framed by its
# own entry's header and trailer. B also names a rendered file left from an earlier send: the
# send must empty it, send B's own file and leave that file alone.
printf '[%s]\n%s=0\n%s=4\n' "$(str 59142)" "$(str 59145)" "$(str 59144)" >x.cfg
printf '[%s]\n%s=%s\n' "$(str 59142)" "$(str 59146)" "$(str 926)" >default.cfg
printf '[%s]\n%s=2\n[%s]\n%s=7585\n' "$(str 59142)" "$(str 59144)" "$(str 59385)" \
    "$(str 59386)" >z.cfg
printf '[%s]\n%s=9\n' "$(str 59142)" "$(str 59144)" >decoy.cfg
printf 'NOT B' >stale.plt
"$cli" jobstream --printer-type velmar --config x.cfg a.plt >ax.stream
"$cli" jobstream --printer-type velmar --current-settings a.plt >ac.stream
"$cli" jobstream --printer-type velmar --config z.cfg b.plt >bz.stream
check "current settings come from default.cfg" grep -q "MEDIA VELLUM" ac.stream
check "each A has its own header" bash -c "! cmp -s ax.stream ac.stream"
write_launch_file list.lch "$work/a.plt" "$work/x.cfg" "" \
    "$work/a.plt" "$(str 59461)" "" "$work/b.plt" "$work/z.cfg" "$work/stale.plt"
clear_plotter main
mark=$(last_job plotter)
check "launch file send" exits 0 "$cli" send --printer plotter --printer-type velmar \
    --pause-ms 0 --copies 3 --launch-file list.lch
check "launch file one job" received_jobs main 1
for _ in 1 2 3; do cat ax.stream ac.stream bz.stream; done >want
check "launch file bytes A A B, A A B, A A B" same_bytes "$(newest_job main)" want
check "launch file job completed" jobs_in plotter "$mark" completed
check "launch file stale rendered file kept" bash -c "[ \"\$(cat stale.plt)\" = 'NOT B' ]"
rm -f default.cfg

# No configuration: exactly the file's bytes; two printers get one job each.
clear_plotter main
add_queue second "$main_port"
check "two printers" exits 0 "$cli" send --printer plotter --printer second --pause-ms 0 \
    --no-config b.plt
check "two printers two jobs" received_jobs main 2
check "two printers bytes" bash -c "for f in '$work/plotter-main'/*.job; do cmp -s \"\$f\" b.plt || exit 1; done"

# --- A queue that does not exist.
check "unknown queue fails" fails "$cli" send --printer nosuchqueue --pause-ms 0 --no-config a.plt
check "unknown queue named" stderr_has "nosuchqueue"
check "unknown queue message" stderr_has "$(str 59463)"

# --- A plot file that disappears before its turn: the job is withdrawn, nothing is printed.
clear_plotter main
mark=$(last_job plotter)
truncate -s 100M big.plt
cp a.plt gone.plt
"$cli" send --printer plotter --pause-ms 0 --no-config big.plt gone.plt >out 2>err &
sender=$!
wait_until 20 started_file err big.plt
rm -f gone.plt
wait "$sender"
status=$?
check "vanished file fails" test "$status" -ne 0
check "vanished file message" stderr_has "$(str 59465)"
check "vanished file job withdrawn" jobs_in plotter "$mark" canceled aborted
check "vanished file nothing printed" received_jobs main 0

# --- SIGINT, SIGTERM and SIGHUP in the middle of a send: the open job is cancelled, not left
# held, and nothing is left behind. The send is paced (many copies with a pause between them) so
# the signal surely lands while the job is open, however fast the machine.
for signal in INT TERM HUP; do
    clear_plotter main
    mark=$(last_job plotter)
    "$cli" send --printer plotter --pause-ms 200 --copies 100 --no-config a.plt >out 2>err &
    sender=$!
    wait_until 20 started_file err a.plt
    kill -"$signal" "$sender"
    wait "$sender"
    status=$?
    check "SIG$signal fails" test "$status" -ne 0 -a "$status" -lt 128
    check "SIG$signal says cancelled" stderr_has "cancelled"
    check "SIG$signal says withdrawn" stderr_has "withdrawn"
    check "SIG$signal job cancelled" jobs_in plotter "$mark" canceled
    check "SIG$signal nothing printed" received_jobs main 0
    check "SIG$signal no temporary files" empty_folder "$TMPDIR"
done

# The same through a hot folder: no half-written job file stays there.
mkdir -p hot
printf '[HotFolders]\nHotPlotter=%s\n' "$work/hot" >"$ini"
"$cli" send --printer HotPlotter --pause-ms 200 --copies 100 --no-config a.plt >out 2>err &
sender=$!
wait_until 20 started_file err a.plt
kill -TERM "$sender"
wait "$sender"
status=$?
check "hot folder SIGTERM fails" test "$status" -ne 0 -a "$status" -lt 128
check "hot folder SIGTERM leaves nothing" empty_folder "$work/hot"
rm -f "$ini"

# --- Only regular files are plot files: a FIFO with no writer and a device are refused at once.
mkfifo pipe.plt
for plot in pipe.plt /dev/zero; do
    check "send refuses $plot" exits 2 timeout 20 "$cli" send --printer plotter --pause-ms 0 \
        --no-config "$plot"
    check "send names $plot" stderr_has "$plot"
    check "jobstream refuses $plot" exits 2 timeout 20 "$cli" jobstream --no-config "$plot"
    check "jobstream names $plot" stderr_has "$plot"
done

# --- An empty plot file: nothing was sent, and that is no failure.
: >empty.plt
clear_plotter main
check "empty file exits 0" exits 0 "$cli" send --printer plotter --pause-ms 0 --no-config empty.plt
check "empty file says nothing was sent" stderr_has "nothing was sent"
check "empty file not handed over" bash -c "! grep -q 'handed the job' '$work/err'"

# --- Accounting: a lock held briefly is waited for; one held past the retries aborts the job.
account="$work/account.txt"
printf '[General]\nJobTicket=Yes\n[DefaultPath]\nAccountFile=%s\n' "$account" >"$ini"
: >"$account"
hold_lock() {  # hold_lock record|flock: another process holds the account file's write lock
    rm -f "$work/locked"  # until release_lock
    "$python" -c '
import fcntl, signal, sys
signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGUSR1})
f = open(sys.argv[1], "a")
if sys.argv[3] == "flock":
    fcntl.flock(f, fcntl.LOCK_EX)
else:
    fcntl.lockf(f, fcntl.LOCK_EX)
open(sys.argv[2], "w").close()
signal.sigwait({signal.SIGUSR1})
' "$account" "$work/locked" "$1" &
    locker=$!
    wait_until 10 test -e "$work/locked"
}
release_lock() { kill -USR1 "$locker"; wait "$locker"; }
running() { kill -0 "$1" 2>/dev/null; }

# Held before the send and released only once the send is seen waiting: it must still be running
# with no line written, and must then finish.
clear_plotter main
mark=$(last_job plotter)
hold_lock record
"$cli" send --printer plotter --pause-ms 0 --no-config a.plt >out 2>err &
sender=$!
wait_until 20 started_file err a.plt
sleep 1  # well past the first wait of 250 ms
check "lock held: still waiting" running "$sender"
check "lock held: no line yet" test ! -s "$account"
release_lock
wait "$sender"
check "lock released: send succeeds" test "$?" -eq 0
check "lock released: line written" grep -q "a.plt" "$account"
check "lock released: printed" received_jobs main 1
check "lock released: job completed" jobs_in plotter "$mark" completed

# Ctrl-C while the send waits for the lock is a cancel, at once, not an accounting failure.
clear_plotter main
mark=$(last_job plotter)
lines_before=$(wc -l <"$account")
hold_lock record
"$cli" send --printer plotter --pause-ms 0 --no-config a.plt >out 2>err &
sender=$!
wait_until 20 started_file err a.plt
sleep 1
started=$SECONDS
kill -INT "$sender"
wait "$sender"
status=$?
release_lock
check "lock cancel fails" test "$status" -ne 0
check "lock cancel is quick" test $((SECONDS - started)) -le 3
check "lock cancel is no accounting failure" bash -c "! grep -qF -- '$(str 59470)' '$work/err'"
check "lock cancel no line" test "$(wc -l <"$account")" -eq "$lines_before"
check "lock cancel job withdrawn" jobs_in plotter "$mark" canceled aborted

# Held past every retry (flock this time: either kind keeps writers out); released afterwards.
clear_plotter main
mark=$(last_job plotter)
lines_before=$(wc -l <"$account")
hold_lock flock
check "lock kept fails" fails "$cli" send --printer plotter --pause-ms 0 --no-config a.plt
release_lock
check "lock kept message" stderr_has "$(str 59470)"
check "lock kept no line" test "$(wc -l <"$account")" -eq "$lines_before"
check "lock kept job withdrawn" jobs_in plotter "$mark" canceled aborted
check "lock kept nothing printed" received_jobs main 0
rm -f "$ini"

# --- send --wait follows each CUPS job until its plotter has taken it: a job the plotter takes
# is completed (exit 0); one whose plotter breaks off is aborted by the scheduler (exit 1, named).
export CUPS_SERVER=$main_server
clear_plotter main
printf 'IN;SP1;PU0,0;PD1000,1000;\n' >wait.plt
"$cli" send --printer plotter --pause-ms 0 --no-config --wait=60 wait.plt >out 2>err
status=$?
check "wait completed exit 0" test "$status" -eq 0
check "wait completed names no failure" bash -c "! grep -qF -- '$(str 60421)' '$work/err'"
broken_port=$("$python" "$here/cups/plotter_emulator.py" --background --time-limit 300 --owner $$ \
    --folder "$work/plotter-broken" --port 0:drop=10 | awk '/^PORT/ { print $3 }')
add_queue broken "$broken_port"
# Large enough that the plotter breaks off while the scheduler is still sending.
truncate -s 4M wait-large.plt
"$cli" send --printer broken --pause-ms 0 --no-config --wait=60 wait-large.plt >out 2>err
status=$?
check "wait aborted exit 1" test "$status" -eq 1
check "wait aborted names the printer" stderr_has "broken"

# --- The scheduler stops in the middle of a large upload (a scheduler of its own, so that the
# other cases keep theirs).
start_scheduler doomed
export CUPS_SERVER=$doomed_server
add_queue doomed "$doomed_port"
truncate -s 200M huge.plt
"$cli" send --printer doomed --pause-ms 0 --no-config huge.plt >out 2>err &
sender=$!
wait_until 20 started_file err huge.plt
"$here/cups/stop-cupsd.sh" "$doomed_dir"
wait "$sender"
status=$?
check "scheduler stopped fails" test "$status" -ne 0
check "scheduler stopped names the printer" stderr_has "doomed"
# Said once: either the job was withdrawn, or it could not be and its number is named.
if grep -qF "$(str 60203)" "$work/err"; then
    check "scheduler stopped names the held job" grep -q 'cancel [0-9]' "$work/err"
    check "scheduler stopped does not claim withdrawal" bash -c "! grep -q 'was withdrawn' '$work/err'"
else
    check "scheduler stopped message" stderr_has "$(str 59464)"
fi
check "scheduler stopped nothing printed" received_jobs doomed 0
check "scheduler stopped no temporary files" empty_folder "$TMPDIR"

report_checks
