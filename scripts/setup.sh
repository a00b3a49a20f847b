#!/usr/bin/env bash
# Installs what the build, the tests and the viewer need, and prepares the Wine prefix.
# Safe to run again: packages already present are not installed twice.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  cmake ninja-build g++ make
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest libgtest-dev libbenchmark-dev libz-mingw-w64-dev python3 clang libclang-rt-14-dev
  wine64 xvfb xauth x11-utils fonts-wine fonts-ipafont-gothic imagemagick locales
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

# Wine converts file names and arguments with the C library's locale: without a ja_JP.UTF-8
# locale, Japanese file names can be neither opened nor created. Built under build/, no root needed.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8' && [ ! -d "$root/build/locale/ja_JP.UTF-8" ]; then
  mkdir -p "$root/build/locale"
  localedef -i ja_JP -f UTF-8 "$root/build/locale/ja_JP.UTF-8" >/dev/null 2>&1 || true
fi

# The Wine prefix lives under build/ so that a clean clone starts from nothing.
if [ "${1:-}" != "--no-prefix" ]; then
  "$root/scripts/wine-prefix.sh"
fi
