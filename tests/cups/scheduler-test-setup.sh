# Sourced by the shell tests that run a private scheduler: finds cupsd, lpadmin and python3
# (for the plotter emulator), skips the test when one is missing, and makes the work folder.
# Usage: source scheduler-test-setup.sh NAME  (the work folder is /tmp/kestrum-NAME-XXXXXX)
PATH="$PATH:/usr/sbin:/sbin:/usr/local/sbin"
python=$(command -v /usr/bin/python3 || command -v python3 || true)

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
    echo "SKIPPED: the CUPS scheduler (cupsd, Debian package cups) is not installed"
    exit 0
fi
if [ -z "$python" ]; then
    echo "SKIPPED: python3 is needed for the plotter emulator"
    exit 0
fi

# Under /tmp and searchable by others: cupsd runs the backends as lp.
work=$(mktemp -d "/tmp/kestrum-$1-XXXXXX")
chmod 755 "$work"
