#!/usr/bin/env bash
# Runs a test driver inside a Wine virtual desktop, where focus, SendInput and screen reads work
# (a bare Xvfb has no window manager). The desktop swallows the exit code and the console, so
# the driver writes both to files named in the environment.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/.vam-ready" ] || "$vam_root/scripts/wine-prefix.sh"
for a in "$@"; do
  # Listing the tests needs no desktop.
  [ "$a" = "--gtest_list_tests" ] && exec "$WINE64" "$@"
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export VAM_E2E_LOG="Z:${work//\//\\}\\log.txt" VAM_E2E_EXIT="Z:${work//\//\\}\\exit.txt"
"$WINE64" explorer "/desktop=vam$$,1024x768" "$@" || true
[ -f "$work/log.txt" ] && cat "$work/log.txt"
[ -f "$work/exit.txt" ] || { echo "wine-desktop-run: the driver left no exit code" >&2; exit 1; }
exit "$(tr -dc 0-9 <"$work/exit.txt")"
