#!/usr/bin/env bash
# The desktop program driven by another program, end to end: the real kestrum executable,
# offscreen, on a private session bus, with a private settings folder, a hot-folder printer and
# a queue of a private scheduler whose device is an emulated plotter. kestrum-cli remote goes
# through the typical conversation; what the plotter and the hot folder received must be
# byte-for-byte what kestrum-cli jobstream composes for the same entries.
set -u
# A bus of its own, so no desktop session's program answers in place of the one started here.
if [ -z "${KESTRUM_E2E_PRIVATE_BUS:-}" ]; then
    if ! command -v dbus-run-session >/dev/null; then
        echo "SKIPPED: dbus-run-session (Debian package dbus-bin) is not installed"
        exit 0
    fi
    KESTRUM_E2E_PRIVATE_BUS=1 exec dbus-run-session -- bash "${BASH_SOURCE[0]}" "$@"
fi
program=${KESTRUM:?set KESTRUM to the kestrum executable}
cli=${KESTRUM_CLI:?set KESTRUM_CLI to the kestrum-cli executable}
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/cups/scheduler-test-setup.sh" command
scheduler=""
program_pid=""
stop_program() {
    [ -n "$program_pid" ] || return 0
    kill -TERM "$program_pid" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.05; done
    kill -KILL "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
    program_pid=""
}
cleanup() {
    stop_program
    [ -f "$work/plotter/emulator.pid" ] && kill -TERM "$(cat "$work/plotter/emulator.pid")" 2>/dev/null
    [ -n "$scheduler" ] && "$here/cups/stop-cupsd.sh" "$scheduler" >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_CONFIG_HOME/kestrum" "$XDG_DATA_HOME" "$TMPDIR" "$work/run" "$work/hot"
ini="$XDG_CONFIG_HOME/kestrum/kestrum.ini"
cd "$work/run" || exit 1

source "$here/check_lib.sh"

wait_until() {  # wait_until SECONDS COMMAND...: polls the command every 50 ms
    local limit=$(($1 * 20)); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.05; done
    return 1
}
count_jobs() { [ "$(find "$work/plotter" -name '*.job' | wc -l)" -ge "$1" ]; }
received_jobs() {  # received_jobs COUNT: the plotter has received COUNT whole jobs
    wait_until 30 count_jobs "$1"
    local got
    got=$(find "$work/plotter" -name '*.job' | wc -l)
    [ "$got" -eq "$1" ] || { echo "  the plotter received $got jobs, wanted $1"; return 1; }
}
hot_files() { find "$work/hot" -type f | wc -l; }
answers() { "$cli" remote >/dev/null 2>&1; }  # an empty conversation: the program is there
program_running() { [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; }

# --- The scheduler, its queue and the plotter behind it.
exports=$("$here/cups/start-cupsd.sh" --owner $$ --lifetime 300)
status=$?
if [ "$status" -eq 77 ]; then echo "SKIPPED: no CUPS scheduler"; exit 0; fi
[ "$status" -eq 0 ] || { echo "FAILED: the private scheduler did not start"; exit 1; }
while read -r line; do
    case "$line" in
        "export CUPS_SERVER="*) export CUPS_SERVER=${line#export CUPS_SERVER=} ;;
        "export KESTRUM_CUPS_DIR="*) scheduler=${line#export KESTRUM_CUPS_DIR=} ;;
    esac
done <<<"$exports"
port=$("$python" "$here/cups/plotter_emulator.py" --background --time-limit 300 --owner $$ \
    --folder "$work/plotter" --port 0 | awk '/^PORT/ { print $3 }')
[ -n "$port" ] || { echo "FAILED: the plotter emulator did not start"; exit 1; }
lpadmin -p plotter -v "socket://127.0.0.1:$port" -E -o printer-error-policy=abort-job

"$cli" strings >"$work/strings.txt"

# Qt's bus library now and then leaves its connection thread's own record (152 bytes and two
# small lists) allocated when a program ends while the bus is still talking to it; it comes and
# goes with timing and lies wholly inside the library. The sanitizer build still reports every
# other fault of the program here; leak checking of the service itself is the in-process
# command_interface_test's.
program_asan_options="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
str() { awk -F'\t' -v n="$1" '$1 == n { print $2 }' "$work/strings.txt"; }

# --- The files a client sends: A with a configuration of its own, B with the current settings.
printf 'IN;SP1;PA0,0;PD100,100;PU;' >A.plt
head -c 2048 /dev/urandom >B.plt
printf '[%s]\n%s=2\n%s=3\n' "$(str 59142)" "$(str 59145)" "$(str 59144)" >A.cfg
"$cli" jobstream --printer-type velmar --config A.cfg A.plt >"$work/A.stream"
"$cli" jobstream --printer-type velmar --current-settings B.plt >"$work/B.stream"
# A's configuration asks for two copies of its entry.
cat "$work/A.stream" "$work/A.stream" "$work/B.stream" >"$work/want"
check "composed A carries its header" grep -q "COPY3" "$work/A.stream"

# Both printers checked, the hot folder above the queue: one send reaches both.
cat >"$ini" <<EOF
[HotFolders]
HotPlotter=$work/hot
[Printer]
PrinterType=Velmar
PrinterCount=2
PrinterName1=plotter
PrinterName2=HotPlotter
EOF

# --- No program yet: nobody answers.
check "no program: exit 4" exits 4 "$cli" remote --clear
check "no program: said so" stderr_has "no Kestrum program answers"

ASAN_OPTIONS=$program_asan_options "$program" >"$work/program.out" 2>"$work/program.err" &
program_pid=$!
if ! wait_until 30 answers; then
    echo "FAILED: the program did not answer on the bus"
    cat "$work/program.err"
    exit 1
fi

# --- The typical conversation.
check "remote send: exit 0" exits 0 timeout 120 "$cli" remote --add A.plt --assign A.cfg \
    --add B.plt --dialog --send --wait
check "remote send: the plotter received one job" received_jobs 1
check "remote send: plotter bytes" same_bytes "$(find "$work/plotter" -name '*.job' | head -1)" \
    "$work/want"
check "remote send: one hot-folder file" wait_until 10 test "$(hot_files)" -eq 1
check "remote send: hot-folder bytes" same_bytes "$(find "$work/hot" -type f | head -1)" \
    "$work/want"

# The busy mark ended with the job: the next client may change the list and send again. The
# README's gdbus commands show the interface and the job's end.
check "introspection names the members" bash -c "gdbus introspect --session -d org.kestrum.Kestrum \
    -o /LaunchList | grep -c 'Connect\|Disconnect\|Execute\|Poke\|JobEnded' | grep -qx 5"
# A gdbus call is a connection that leaves the bus at once while holding the conversation: as a
# client that crashed, it must not lock the next one out.
check "gdbus Connect is accepted" bash -c "gdbus call --session -d org.kestrum.Kestrum \
    -o /LaunchList -m org.kestrum.LaunchList.Connect | grep -qx '(true,)'"
check "next client after gdbus left" wait_until 5 answers
gdbus monitor --session -d org.kestrum.Kestrum -o /LaunchList >"$work/monitor.txt" 2>&1 &
monitor=$!
sleep 0.5
rm -f "$work/plotter"/*.job "$work/hot"/*
check "second send: exit 0" exits 0 timeout 120 "$cli" remote --clear --add B.plt --send --wait
check "second send: one job" received_jobs 1
check "second send: only B" same_bytes "$(find "$work/plotter" -name '*.job' | head -1)" \
    "$work/B.stream"
check "monitor saw the job end" wait_until 5 grep -q "JobEnded ('completed', '')" "$work/monitor.txt"
kill "$monitor" 2>/dev/null
wait "$monitor" 2>/dev/null

# A drawing added by a client is rendered as the browser's entry would be: the plotter receives
# the rendered HP-GL/2 in its frame, not the DXF text.
cp "$here/../samples/bracket.dxf" bracket.dxf
if "$cli" render bracket.dxf -o "$work/bracket.hpgl" 2>"$work/render.err"; then
    "$cli" jobstream --printer-type velmar --current-settings "$work/bracket.hpgl" \
        >"$work/bracket.stream"
    rm -f "$work/plotter"/*.job "$work/hot"/*
    check "drawing: exit 0" exits 0 timeout 120 "$cli" remote --clear --add bracket.dxf --send \
        --wait
    check "drawing: one job" received_jobs 1
    check "drawing: rendered bytes" same_bytes "$(find "$work/plotter" -name '*.job' | head -1)" \
        "$work/bracket.stream"
else
    echo "drawing case skipped: $(cat "$work/render.err")"
fi

# --- A send that fails (the queue was deleted) is reported to the waiting client, with the
# printer named, without waiting for anybody to answer the program's own message; and it
# leaves the busy mark cleared.
lpadmin -x plotter
check "failed send: exit 5" exits 5 timeout 60 "$cli" remote --clear --add A.plt --send --wait
check "failed send: said so" stderr_has "failed"
check "failed send: printer named" stderr_has "plotter"
lpadmin -p plotter -v "socket://127.0.0.1:$port" -E -o printer-error-policy=abort-job
rm -f "$work/plotter"/*.job "$work/hot"/*
check "after the failure: exit 0" exits 0 timeout 60 "$cli" remote --clear --add B.plt --send --wait
check "after the failure: one job" received_jobs 1

# An empty list: the send ends with nothing sent, which the waiting client hears as such.
check "nothing to send: exit 5" exits 5 timeout 60 "$cli" remote --clear --send --wait
check "nothing to send: said so" stderr_has "nothing"

# --- Refusals: the failing transaction is named and nothing after it is sent.
# Relative names are made absolute by the client, from its own working directory.
rm -f "$work/plotter"/*.job "$work/hot"/*
check "from another folder: exit 0" exits 0 timeout 60 bash -c "cd '$work' && '$cli' remote \
    --clear --add run/A.plt --assign run/A.cfg --send --wait"
check "from another folder: one job" received_jobs 1
cat "$work/A.stream" "$work/A.stream" >"$work/want-a"
check "from another folder: A's bytes" same_bytes \
    "$(find "$work/plotter" -name '*.job' | head -1)" "$work/want-a"
check "long path refused: exit 3" exits 3 "$cli" remote --add "/$(printf 'x%.0s' $(seq 300))"
check "long path refused: named" stderr_has "AddFile"

# With the end-of-job notification on, the "Job Complete" box waits for its user; the waiting
# client hears of the end all the same.
stop_program
if grep -q '^EOJNotification=' "$ini"; then
    sed -i 's/^EOJNotification=.*/EOJNotification=Yes/' "$ini"
elif grep -q '^\[General\]' "$ini"; then
    sed -i '/^\[General\]/a EOJNotification=Yes' "$ini"
else
    printf '[General]\nEOJNotification=Yes\n' >>"$ini"
fi
ASAN_OPTIONS=$program_asan_options "$program" >>"$work/program.out" 2>>"$work/program.err" &
program_pid=$!
check "restarted program answers" wait_until 30 answers
rm -f "$work/plotter"/*.job "$work/hot"/*
check "notification on: exit 0" exits 0 timeout 60 "$cli" remote --clear --add B.plt --send --wait
check "notification on: one job" received_jobs 1

# The program serves on, and ends cleanly on SIGTERM.
check "still answering" answers
check "program still running" program_running
kill -TERM "$program_pid"
check "program ends on SIGTERM" wait_until 10 bash -c "! kill -0 $program_pid 2>/dev/null"
wait "$program_pid" 2>/dev/null
program_pid=""
check "gone: exit 4" exits 4 "$cli" remote --clear
# In the sanitizer build the program's own faults show only on its standard error.
program_fault_free() {
    ! grep -qE 'ERROR: [A-Za-z]+Sanitizer|runtime error:' "$work/program.err" && return 0
    echo "  the program's standard error:"; cat "$work/program.err"; return 1
}
check "program reported no fault" program_fault_free

report_checks
