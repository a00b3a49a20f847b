#!/usr/bin/env bash
# Checks the release as scripts/package.sh makes it, from the commit at HEAD:
#
#   scripts/test-package.sh
#
# - two fresh clones at different paths package it, and give byte-identical programs and zips;
# - the programs hold no link time, no debug directory, no symbols and no path of either clone,
#   and import system DLLs only;
# - the zip holds exactly the five files, in name order, at the commit's time, with ASCII names,
#   the guides as UTF-8 with a byte-order mark and CR LF;
# - a changed work tree gives a version marked -dirty, in the zip's name and in the programs;
# - a missing tool is named, the exit code is not zero and no zip is left.
# Leaves the zip in build/package/ for the end-to-end test that unpacks and runs it.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

work="$root/build/package-check"
out="$root/build/package"
rm -rf "$work" "$out"
mkdir -p "$work" "$out"
failures=0
fail() {
  echo "test-package: FAILED: $*" >&2
  failures=$((failures + 1))
}

commit="$(git rev-parse HEAD)"
[ -z "$(git status --porcelain)" ] || echo "test-package: the work tree has changes; this checks the commit at HEAD"

# Clones at paths of different lengths, so that a build path left inside would show as a difference.
package_in() { # folder name; prints the zip's path
  local dir="$work/$1"
  git clone -q "$root" "$dir" && git -C "$dir" checkout -q --detach "$commit" || return 1
  local started=$SECONDS
  bash "$dir/scripts/package.sh" >"$dir.log" 2>&1 || {
    tail -n 30 "$dir.log" >&2
    return 1
  }
  echo "test-package: packaged in $1 in $((SECONDS - started)) s" >&2
  grep '\.zip$' "$dir.log" | tail -n 1
}
zip_a="$(package_in first)" || fail "package.sh in the first clone"
zip_b="$(package_in second-clone)" || fail "package.sh in the second clone"
if ((failures)); then
  echo "test-package: $failures failure(s)" >&2
  exit 1
fi
a="$work/first" b="$work/second-clone"

for pair in "build/release-win64/Vam64.exe" "build/release-win32/Vam.exe" "${zip_a#"$a/"}"; do
  cmp -s "$a/$pair" "$b/$pair" || fail "$pair differs between the two clones"
done
echo "test-package: $(basename "$zip_a") SHA-256 $(sha256sum "$zip_a" | cut -d' ' -f1) in the first clone"
cp "$zip_a" "$out/"
echo "test-package: $(basename "$zip_b") SHA-256 $(sha256sum "$zip_b" | cut -d' ' -f1) in the second clone"

for exe in "$a/build/release-win64/Vam64.exe" "$a/build/release-win32/Vam.exe"; do
  name="$(basename "$exe")"
  headers="$(x86_64-w64-mingw32-objdump -p "$exe")"
  grep -q '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970' <<<"$headers" || fail "$name has a link time"
  grep -qE '^Entry 6 0+ 0+ Debug Directory' <<<"$headers" || fail "$name has a debug directory"
  x86_64-w64-mingw32-objdump -t "$exe" | grep -q '^no symbols' || fail "$name is not stripped"
  imports="$(grep 'DLL Name' <<<"$headers" | awk '{print tolower($3)}' | sort | tr '\n' ' ')"
  [ "$imports" = "comdlg32.dll gdi32.dll kernel32.dll msimg32.dll msvcrt.dll shell32.dll shlwapi.dll user32.dll " ] ||
    fail "$name imports $imports"
  for path in "$a" "$root" "$HOME"; do
    if strings -a "$exe" | grep -qF "$path" || strings -a -el "$exe" | grep -qF "$path"; then
      fail "$name holds the path $path"
    fi
  done
done

python3 - "$zip_a" "$(git log -1 --format=%ct "$commit")" <<'EOF' || fail "the zip's content"
import sys, time, zipfile

path, epoch = sys.argv[1], int(sys.argv[2])
problems = []
with zipfile.ZipFile(path) as archive:
    infos = archive.infolist()
    names = [i.filename for i in infos]
    wanted = ["LICENSE", "README-en.txt", "README-ja.txt", "Vam.exe", "Vam64.exe"]
    if names != wanted:
        problems.append(f"entries {names}, wanted {wanted}")
    stamp = time.gmtime(epoch)[:6]
    for info in infos:
        if not info.filename.isascii() or info.flag_bits & 0x800:
            problems.append(f"{info.filename!r} is not a plain ASCII name")
        # Zip times count in steps of two seconds.
        if info.date_time[:5] != stamp[:5] or abs(info.date_time[5] - stamp[5]) > 1:
            problems.append(f"{info.filename} dated {info.date_time}, wanted {stamp}")
    for name in ("README-ja.txt", "README-en.txt", "LICENSE"):
        data = archive.read(name) if name in names else b""
        body = data[3:] if data.startswith(b"\xef\xbb\xbf") else data
        if name != "LICENSE" and body is data:
            problems.append(f"{name} has no UTF-8 byte-order mark")
        if body.replace(b"\r\n", b"").count(b"\n") or body.replace(b"\r\n", b"").count(b"\r"):
            problems.append(f"{name} has line ends other than CR LF")
        body.decode("utf-8")
    guide = archive.read("README-ja.txt").decode("utf-8-sig") if "README-ja.txt" in names else ""
    for word in ("Vam64.ini", "editor", "%t", "%l", "fontSize", "numberLine", "dll", "Vam.exe"):
        if word not in guide:
            problems.append(f"README-ja.txt never mentions {word}")
for p in problems:
    print("test-package:", p, file=sys.stderr)
sys.exit(1 if problems else 0)
EOF

# A change not committed: the same build, marked.
echo "a line not committed" >>"$b/README.md"
if bash "$b/scripts/package.sh" >"$b.dirty.log" 2>&1; then
  dirty="$(grep '\.zip$' "$b.dirty.log" | tail -n 1)"
  case "$dirty" in
    *-dirty.zip) ;;
    *) fail "a changed work tree gave $dirty" ;;
  esac
  strings -a -el "$b/build/release-win64/Vam64.exe" | grep -q -- '-dirty$' ||
    fail "Vam64.exe from a changed work tree has no -dirty version"
else
  tail -n 30 "$b.dirty.log" >&2
  fail "package.sh on a changed work tree"
fi

# A tool missing: named, a failure, no zip. PATH then holds everything but that tool.
for tool in python3 i686-w64-mingw32-g++-posix; do
  bin="$work/bin-without-$tool"
  mkdir -p "$bin"
  ln -s /usr/local/bin/* /usr/bin/* "$bin/" 2>/dev/null
  rm -f "$bin/$tool"
  rm -rf "$a/dist"
  if PATH="$bin" bash "$a/scripts/package.sh" >"$work/without-$tool.log" 2>&1; then
    fail "package.sh without $tool succeeded"
  fi
  grep -q "missing.*$tool" "$work/without-$tool.log" || fail "package.sh without $tool does not name it"
  [ -z "$(ls -A "$a/dist" 2>/dev/null)" ] || fail "package.sh without $tool left $(ls -A "$a/dist")"
done

if ((failures)); then
  echo "test-package: $failures failure(s)" >&2
  exit 1
fi
echo "test-package: ok, $(ls "$out")"
