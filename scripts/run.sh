#!/usr/bin/env bash
# Sets up, builds and starts the screensaver. Arguments go to the program
# (default: /s, the running mode); the log is in the state folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/release" --target vellumere
status=0
"$root/build/release/app/vellumere" "${@:-/s}" || status=$?
state=${XDG_STATE_HOME:-$HOME/.local/state}
[ -f "$state/Quorvane/YNXLog.txt" ] && echo "Log: $state/Quorvane/YNXLog.txt"
exit $status
