# Sourced by the scripts that run Windows programs: one Wine prefix under build/, quiet, Japanese.
vam_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${VAM_WINEPREFIX:-$vam_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# wine64 with a Japanese locale (ANSI code page 932, as on the machines the program is made for);
# a wrapper, since setting LC_ALL in bash itself warns that glibc has no such locale.
export WINE64="$vam_root/scripts/wine64"
