#!/usr/bin/env bash
# Makes the release a Windows user downloads:
#
#   scripts/package.sh
#
# Builds Vam64.exe and Vam.exe in release form (optimised, stripped, statically linked) in
# build/release-win64 and build/release-win32, apart from the test builds, and writes
# dist/Vam-<version>.zip with both programs, LICENSE and the user guides README-ja.txt and
# README-en.txt (from docs/, as UTF-8 with a byte-order mark and CR LF line ends, which every
# Notepad shows right). Prints the zip's path and its SHA-256.
#
# The version is the one of project() in CMakeLists.txt, marked "-dirty" when the work tree holds
# changes that are not committed. Two runs from one commit give the same bytes: the programs hold
# no link time and no build path, and the archive's entries carry the commit's time
# (SOURCE_DATE_EPOCH, if set, instead) in name order. The zip is written under a temporary name
# and renamed once complete, so a failed run leaves no half-written archive.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

fail() {
  echo "package: $*" >&2
  exit 1
}

tools=(git cmake ninja python3 sha256sum
  x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres
  i686-w64-mingw32-gcc-posix i686-w64-mingw32-g++-posix i686-w64-mingw32-windres)
missing=()
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
((${#missing[@]} == 0)) || fail "missing ${missing[*]} (scripts/setup.sh installs what the build needs)"

git rev-parse --verify -q HEAD >/dev/null || fail "$root is not a git work tree with a commit"

version="$(sed -n 's/^project(Vam VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)"
[ -n "$version" ] || fail "CMakeLists.txt names no version in project(Vam VERSION ...)"
suffix=""
[ -z "$(git status --porcelain)" ] || suffix="-dirty"
version="$version$suffix"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"

build() { # toolchain file, build folder under build/
  local dir="$root/build/$2"
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$1" -DCMAKE_BUILD_TYPE=Release \
    -DVAM_RELEASE=ON -DVAM_VERSION_SUFFIX="$suffix" >&2
  cmake --build "$dir" --target vam_program -j "$(nproc)" >&2
}
echo "package: building Vam $version" >&2
build mingw-x86_64.cmake release-win64
build mingw-i686.cmake release-win32

mkdir -p dist
zip="$root/dist/Vam-$version.zip"
rm -f "$root"/dist/.Vam-*.part # left by a run that was killed
part="$(mktemp "$root/dist/.Vam-$version.XXXXXX.part")"
trap 'rm -f "$part"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

python3 - "$part" "$SOURCE_DATE_EPOCH" <<'EOF'
import sys, time, zipfile

part, epoch = sys.argv[1], int(sys.argv[2])
# name in the archive, file, how it is stored
entries = [
    ("LICENSE", "LICENSE", "text"),
    ("README-en.txt", "docs/README-en.txt", "guide"),
    ("README-ja.txt", "docs/README-ja.txt", "guide"),
    ("Vam.exe", "build/release-win32/Vam.exe", "binary"),
    ("Vam64.exe", "build/release-win64/Vam64.exe", "binary"),
]

def windows_text(path, bom):
    data = open(path, "rb").read()
    data.decode("utf-8")  # refuses anything but UTF-8
    if data.startswith(b"\xef\xbb\xbf") or b"\r" in data:
        sys.exit(f"package: {path} must be UTF-8 without a byte-order mark, with LF line ends")
    return (b"\xef\xbb\xbf" if bom else b"") + data.replace(b"\n", b"\r\n")

# Zip times have no zone and cannot name a moment before 1980.
stamp = time.gmtime(max(epoch, 315532800))[:6]
with zipfile.ZipFile(part, "w") as archive:
    for name, path, kind in sorted(entries):
        data = open(path, "rb").read() if kind == "binary" else windows_text(path, kind == "guide")
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.create_system = 0  # MS-DOS attributes: nothing of this machine's users or modes
        info.external_attr = 0
        info.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(info, data, compresslevel=9)
EOF
chmod 644 "$part"
mv -f "$part" "$zip"
trap - EXIT

echo "$zip"
echo "SHA-256 $(sha256sum "$zip" | cut -d' ' -f1)"
