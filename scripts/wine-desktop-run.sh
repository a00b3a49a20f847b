#!/usr/bin/env bash
# Runs a test driver inside a Wine virtual desktop, where focus, SendInput and screen reads work
# (a bare Xvfb has no window manager). The desktop swallows the exit code and the console, so
# the driver writes both to files named in the environment.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/.vam-ready" ] || "$vam_root/scripts/wine-prefix.sh" </dev/null >/dev/null 2>&1
for a in "$@"; do
  # Listing the tests needs no desktop.
  [ "$a" = "--gtest_list_tests" ] && exec "$vam_root/scripts/wine-run.sh" "$@"
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export VAM_E2E_LOG="Z:${work//\//\\}\\log.txt" VAM_E2E_EXIT="Z:${work//\//\\}\\exit.txt"
# Side processes of Wine inherit these handles and outlive the run: keep them off CTest's pipe.
"$WINE64" explorer "/desktop=vam$$,1024x768" "$@" </dev/null >/dev/null 2>&1 || true
[ -f "$work/log.txt" ] && cat "$work/log.txt"
[ -f "$work/exit.txt" ] || { echo "wine-desktop-run: the driver left no exit code" >&2; exit 1; }
exit "$(tr -dc 0-9 <"$work/exit.txt")"
