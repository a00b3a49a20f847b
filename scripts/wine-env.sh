# Sourced by the scripts that run Windows programs: one Wine prefix under build/, quiet, Japanese.
vam_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${VAM_WINEPREFIX:-$vam_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# Japanese locale: ANSI code page 932, as on the machines the program is made for.
export LC_ALL=ja_JP.UTF-8
export WINE64=/usr/lib/wine/wine64
