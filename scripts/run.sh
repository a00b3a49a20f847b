#!/usr/bin/env bash
# Runs the viewer on FILE (default: the bundled UTF-8 sample) under Wine and saves a screenshot.
#
#   scripts/run.sh [FILE]
#
# With $DISPLAY set, Vam64.exe opens on that display and the script waits until it is closed.
# Without one, it runs in a Wine virtual desktop inside Xvfb, takes the screenshot after
# VAM_RUN_SECONDS (default 8) seconds and closes the program by itself.
# VAM_HEADLESS=1 takes the Xvfb road even when a display is there.
# VAM_EXE=path runs that program instead of building and running build/win64/Vam64.exe.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

file="${1:-$root/samples/sample-utf8.txt}"
[ -e "$file" ] || { echo "run: no such file: $file" >&2; exit 1; }
file="$(realpath "$file")"

bash scripts/setup.sh

exe="${VAM_EXE:-}"
if [ -z "$exe" ]; then
  exe="$root/build/win64/Vam64.exe"
  [ -f build/win64/build.ninja ] || cmake --preset win64 >/dev/null
  cmake --build --preset win64 --target vam_program
fi

. scripts/wine-env.sh
# Wine sees the Linux root as drive Z:.
winfile="Z:${file//\//\\}"
shots="$root/build/screenshots"
mkdir -p "$shots"
shot="$shots/vam-$(date +%Y%m%d-%H%M%S).png"
seconds="${VAM_RUN_SECONDS:-8}"

# Every Wine process started from here inherits this tag, so that exactly these can be ended
# (Wine detaches its processes into sessions of their own, out of reach of a process group).
tag="vam-run-$$-$RANDOM"
export VAM_RUN_TAG="$tag"
tagged_pids() {
  local d
  for d in /proc/[0-9]*; do
    grep -qsz "^VAM_RUN_TAG=$tag\$" "$d/environ" 2>/dev/null && echo "${d#/proc/}"
  done
  return 0
}
end_tagged() {
  local pids
  pids="$(tagged_pids)"
  [ -n "$pids" ] || return 0
  # shellcheck disable=SC2086
  kill -TERM $pids 2>/dev/null || true
  sleep 1
  pids="$(tagged_pids)"
  # shellcheck disable=SC2086
  [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
}

if [ -n "${DISPLAY:-}" ] && [ "${VAM_HEADLESS:-0}" != 1 ]; then
  "$WINE64" "$exe" "$winfile" &
  program=$!
  (
    sleep "$seconds"
    if kill -0 "$program" 2>/dev/null; then
      # The program's own window if it can be told by its title (the file name), else the screen.
      name="$(basename "$file")"
      id="$(xwininfo -root -tree 2>/dev/null | grep -F "$name\"" | grep -o '0x[0-9a-f]*' | head -n 1 || true)"
      import -window "${id:-root}" "$shot" && echo "run: screenshot $shot"
    fi
  ) &
  wait "$program" || true
  exit 0
fi

command -v xvfb-run >/dev/null || { echo "run: xvfb-run is missing (scripts/setup.sh installs it)" >&2; exit 1; }
trap end_tagged EXIT
# Inside Xvfb: the desktop, a pause for the window to appear and paint, the picture, the end.
# Leaving xvfb-run also takes the X server away from the program, which ends it too.
VAM_SHOT="$shot" VAM_SECONDS="$seconds" VAM_WINFILE="$winfile" VAM_PROGRAM="$exe" \
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$WINE64" explorer "/desktop=vam$$,1024x768" "$VAM_PROGRAM" "$VAM_WINFILE" 2>"$VAM_SHOT.log" &
    sleep "$VAM_SECONDS"
    import -window root "$VAM_SHOT"
  '
[ -f "$shot" ] || { echo "run: no screenshot was taken" >&2; exit 1; }
echo "run: screenshot $shot"
