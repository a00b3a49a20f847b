#!/usr/bin/env bash
# Creates the Wine prefix once: boots it and lets the installed Japanese Gothic font stand in
# for "ＭＳ ゴシック", the program's default face, which Wine does not have.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/.vam-ready" ] && exit 0
mkdir -p "$WINEPREFIX"
"$WINE64" wineboot -i >/dev/null 2>&1 || true
# regedit takes non-ASCII value names only from a UTF-16 file with the version 5 header.
reg="$WINEPREFIX/vam-fonts.reg"
{
  printf '\xff\xfe'
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for face in "ＭＳ ゴシック" "ＭＳ Ｐゴシック" "MS Gothic" "MS UI Gothic"; do
      printf '"%s"="IPAGothic"\r\n' "$face"
    done
  } | iconv -f UTF-8 -t UTF-16LE
} >"$reg"
"$WINE64" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w || true
touch "$WINEPREFIX/.vam-ready"
