#!/usr/bin/env bash
# A fatal signal in the real window: the process comes back as the crash report, and Enter
# there starts the program again. Usage: crash_report_test.sh PATH/TO/quillmar
set -euo pipefail
program=$1
source "$(dirname "$0")/session.sh"
start_session "$program"

kill -SEGV "$app"
# A search while the crashed windows go away can end on an X error, so it is asked again.
report=
for _ in $(seq 1 100); do
    report=$(xdotool search --onlyvisible --pid "$app" --name '^=\($' 2>/dev/null | tail -1 || true)
    [[ -n $report ]] && break
    sleep 0.2
done
[[ -n $report ]] || { echo "FAIL no report after the signal"; cat "$work/log"; exit 1; }
echo "ok   the signal brought up the report: $(tr '\0' ' ' <"/proc/$app/cmdline")"

xdotool windowactivate --sync "$report"
xdotool key Return
fresh=
for _ in $(seq 1 100); do
    for w in $(xdotool search --onlyvisible --name 'Quillmar' 2>/dev/null || true); do
        pid=$(xdotool getwindowpid "$w")
        [[ $pid != "$app" ]] && fresh=$pid
    done
    [[ -n $fresh ]] && break
    sleep 0.2
done
[[ -n $fresh ]] || { echo "FAIL Enter did not start the program again"; cat "$work/log"; exit 1; }
pids+=($fresh)
[[ $(readlink "/proc/$fresh/exe") == "$work/quillmar-window" ]] ||
    { echo "FAIL the fresh window is $(readlink "/proc/$fresh/exe")"; exit 1; }
echo "ok   Enter started the program again"
