#!/usr/bin/env bash
# Runs the benchmarks by hand (they are not timed tests): the native Google Benchmark exe, then the
# timed runs under Wine. Each figure is read as a ratio to its baseline in the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target vam_bench
build/native/vam_bench "$@"

# Further benchmarks: one clearly separated block each, below this line.

# ---- Start-up and folder step of Vam64.exe under Wine (bench/startup_wine.cpp), inside a
# virtual desktop so that keys reach the program; it needs a display, so Xvfb.
[ -f build/win64/build.ninja ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 --target vam_program startup_wine
xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine-desktop-run.sh build/win64/startup_wine.exe

# ---- Find and CR LF copy over 10 MiB under Wine (bench/tools_wine.cpp), with the run-time
# library's own case-insensitive comparison, classic and user locale; no window, no display.
[ -f build/win64/build.ninja ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 --target tools_wine
. scripts/wine-env.sh
"$WINE64" build/win64/tools_wine.exe

# ---- One paint of a view with the overlay beside the control's own paint of the same screen, at
# the top and at the end of 170,000 short lines of dense text (bench/overlay_wine.cpp); it needs
# a display, so Xvfb. About two minutes, most of it loading the text into the control.
[ -f build/win64/build.ninja ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 --target overlay_wine
. scripts/wine-env.sh
xvfb-run -a "$WINE64" build/win64/overlay_wine.exe
