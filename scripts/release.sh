#!/usr/bin/env bash
# Builds the release for 64-bit and 32-bit Windows and packs one zip per architecture:
#   dist/parlo-<version>-x86_64.zip   dist/parlo-<version>-i686.zip
# Each holds, side by side (unzip into a folder of its own):
#   parlo.exe            the program
#   say-default.txt      the example phrase book
#   practice-window.exe  a stand-in game window to try Parlo on
#   README.txt           the user guide
# Installs what it needs (scripts/setup.sh), builds in build/release-<arch>/ and is safe to run
# again: each zip is made afresh, and an unchanged tree gives the same zips.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

version=$(sed -n 's/^project(Parlo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
# One date for everything dated in the release (the programs' headers, the zip entries): the
# last commit's, so that the same tree gives the same zips.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 946684800)
export SOURCE_DATE_EPOCH
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
log_dir="$root/build/logs"
mkdir -p "$log_dir" "$root/dist"

# The user guide as a Windows text file: CR LF line ends, no Markdown-only lines (pictures).
guide_txt() {
  grep -v '^!\[' docs/user-guide.md | sed 's/\r$//; s/$/\r/'
}

for arch in x86_64 i686; do
  case $arch in
    x86_64) preset=win64; format=pei-x86-64 ;;
    i686) preset=win32; format=pei-i386 ;;
  esac
  build="$root/build/release-$arch"
  echo "== $arch: building in build/release-$arch"
  # Only the programs: the tests are not part of a release.
  cmake --preset "$preset" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    >"$log_dir/release-configure-$arch.log" 2>&1 || { cat "$log_dir/release-configure-$arch.log"; exit 1; }
  cmake --build "$build" --target parlo fakegame -j "$jobs" >"$log_dir/release-build-$arch.log" 2>&1 ||
    { tail -n 60 "$log_dir/release-build-$arch.log"; exit 1; }

  stage="$build/stage"
  rm -rf "$stage"
  mkdir -p "$stage"
  cp "$build/bin/parlo.exe" "$stage/parlo.exe"
  cp "$build/bin/fakegame.exe" "$stage/practice-window.exe"
  cp res/say-default.txt "$stage/say-default.txt"
  guide_txt >"$stage/README.txt"
  "$arch-w64-mingw32-strip" "$stage/parlo.exe" "$stage/practice-window.exe"

  # A program built for the other architecture would start nowhere it should.
  for exe in parlo.exe practice-window.exe; do
    got=$("$arch-w64-mingw32-objdump" -f "$stage/$exe" | sed -n 's/.*file format \(.*\)/\1/p')
    [ "$got" = "$format" ] || { echo "release: $exe is $got, not $format" >&2; exit 1; }
  done

  zip_path="$root/dist/parlo-$version-$arch.zip"
  rm -f "$zip_path"
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  (cd "$stage" && zip -q -X -D "$zip_path" parlo.exe say-default.txt practice-window.exe README.txt)
  echo "   dist/$(basename "$zip_path"):"
  python3 - "$zip_path" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        print(f"     {i.file_size:>9}  {i.filename}")
EOF
done
