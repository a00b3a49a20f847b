#!/usr/bin/env bash
# Creates the Wine prefix once: boots it and lets the installed Japanese Gothic font stand in
# for "ＭＳ ゴシック", the program's default face, which Wine does not have.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
# In a bare Xvfb no window manager answers, and Wine waits 2 s for one each time a window it
# handed over goes (every in-process test shows one). The test program's windows stay its own;
# the viewer's stay managed, for run.sh on a real display.
tests_key='Software\Wine\AppDefaults\vam_win_tests.exe\X11 Driver'
unmanage_tests() { "$WINE64" reg add "HKCU\\$tests_key" /v Managed /d N /f >/dev/null 2>&1 || true; }
if [ -f "$WINEPREFIX/.vam-ready" ]; then
  grep -qsF "[${tests_key//\\/\\\\}]" "$WINEPREFIX/user.reg" && exit 0
  unmanage_tests # a prefix made before this setting
  /usr/lib/wine/wineserver -w || true
  exit 0
fi
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
unmanage_tests
/usr/lib/wine/wineserver -w || true
touch "$WINEPREFIX/.vam-ready"
