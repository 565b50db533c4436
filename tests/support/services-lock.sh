#!/bin/bash
# Runs a test that needs the machine-wide services lock: waits for the lock (up to
# VISTREL_SERVICES_LOCK_WAIT seconds, default 1800), then gives the test its own time limit,
# counted from the moment the lock is held.
#   services-lock.sh <test seconds> <command> [arguments...]
set -u
limit=$1
shift
lock=/tmp/vistrel-services.lock
wait_bound=${VISTREL_SERVICES_LOCK_WAIT:-1800}

exec 9>>"$lock"
started=$SECONDS
until flock -n 9; do
    if ((SECONDS - started >= wait_bound)); then
        inode=$(stat -c %i "$lock")
        holder=$(awk -v inode="$inode" '$2 == "FLOCK" { split($6, f, ":"); if (f[3] == inode) print $5 }' /proc/locks |
            head -n 1)
        echo "waited $((SECONDS - started)) s for the services lock held by PID ${holder:-unknown}" \
            "($(tr '\0' ' ' <"/proc/${holder:-0}/cmdline" 2>/dev/null))" >&2
        exit 1
    fi
    sleep 1
done
((SECONDS - started > 1)) && echo "waited $((SECONDS - started)) s for the services lock" >&2

# The test's children (servers, supervisors) must not inherit the lock and hold it past the test.
timeout --kill-after=10 "$limit" "$@" 9>&-
status=$?
((status == 124)) && echo "the test ran out of its $limit s (counted from taking the services lock)" >&2
exit $status
