#!/usr/bin/env bash
# Runs one Windows program under wine64 in the project's prefix (CTest's emulator).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/.vam-ready" ] || "$vam_root/scripts/wine-prefix.sh"
exec "$WINE64" "$@"
