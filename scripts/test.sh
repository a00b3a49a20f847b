#!/usr/bin/env bash
# The one command that runs every test: installs what is missing, builds the native, the
# sanitizer, the x86-64 and the i686 configurations, runs the native tests twice (plain and
# sanitized), packages the release twice and compares, and runs the Windows tests under Wine
# inside Xvfb. Exits non-zero on any failure. Also: the native tests on the portable paths that
# the 32-bit program runs (VAM_NO_SIMD), and each fuzz target for a few seconds from its corpus.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh || { echo "test: setup failed" >&2; exit 1; }

jobs="$(nproc)"
status=0
summary=()

step() { # name, command...
  local name="$1"; shift
  echo "==== $name"
  if "$@"; then summary+=("ok      $name"); else summary+=("FAILED  $name"); status=1; fi
}

for preset in native native-asan native-nosimd fuzz win64 win32; do
  step "configure $preset" cmake --preset "$preset" >/dev/null
  step "build $preset" cmake --build --preset "$preset" -j "$jobs"
done

step "native tests" ctest --preset native -j "$jobs"
step "native tests (address, undefined)" ctest --preset native-asan -j "$jobs"
step "native tests on the portable paths (VAM_NO_SIMD, address, undefined)" ctest --preset native-nosimd -j "$jobs"
step "fuzz targets, a few seconds each from their corpus" env FUZZ_OUT=build/fuzz/smoke bash scripts/fuzz.sh 5

# The release, packaged twice from HEAD in fresh clones and compared; the end-to-end tests unpack
# and run the zip it leaves, and fail when there is none.
step "release package (twice, byte-identical)" bash scripts/test-package.sh
package_zip="$(ls "$root"/build/package/Vam-*.zip 2>/dev/null | head -n 1)"
export VAM_PACKAGE_ZIP="${package_zip:-$root/build/package/missing.zip}"

. scripts/wine-env.sh
/usr/lib/wine/wineserver -p 60 >/dev/null 2>&1 || true # a warm server: each process starts fast
step "Windows tests under Wine" xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win64
# The same tests again as one process, as GoogleTest is normally run: state that one test leaves
# behind for the next shows up only here.
step "Windows tests under Wine, one process" xvfb-run -a -s "-screen 0 1280x1024x24" \
  scripts/wine-run.sh build/win64/vam_win_tests.exe --gtest_brief=1
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true

echo
echo "==== summary"
printf '%s\n' "${summary[@]}"
exit "$status"
