#!/usr/bin/env bash
# Installs what the build, the tests and the viewer need, and prepares the Wine prefix.
# Safe to run again: packages already present are not installed twice.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  cmake ninja-build g++ make
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest libgtest-dev libbenchmark-dev
  wine64 xvfb xauth x11-utils fonts-wine fonts-ipafont-gothic imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Wine prefix lives under build/ so that a clean clone starts from nothing.
if [ "${1:-}" != "--no-prefix" ]; then
  "$root/scripts/wine-prefix.sh"
fi
