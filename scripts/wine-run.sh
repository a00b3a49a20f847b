#!/usr/bin/env bash
# Runs one Windows program under wine64 in the project's prefix (CTest's emulator).
# Its output goes through a file: processes that Wine starts on the side (the server, the
# desktop's explorer) inherit the program's standard handles and outlive it, and CTest would
# wait on a pipe they hold open until its timeout.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/.vam-ready" ] || "$vam_root/scripts/wine-prefix.sh" </dev/null >/dev/null 2>&1
out="$(mktemp)"
"$WINE64" "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit "$rc"
