#!/usr/bin/env bash
# Builds the programs the --app tests read, in both bitnesses, whichever
# architecture the test bed is:   build.sh SOURCE_FOLDER OUTPUT_FOLDER
#   app32/app32.exe   32-bit, the Windows 10 manifest embedded, NvOptimusEnablement = 1
#   app64/app64.exe   64-bit, no manifest of its own: the same one beside it
#   gl64/gl64.exe     64-bit, imports opengl32.dll, no manifest at all
set -euo pipefail
src=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/app32" "$out/app64" "$out/gl64"
(cd "$src" && i686-w64-mingw32-windres windows10.rc -O coff -o "$work/windows10-32.res")
i686-w64-mingw32-gcc -O1 -DOPTIMUS "$src/app.c" "$work/windows10-32.res" -o "$out/app32/app32.exe"
x86_64-w64-mingw32-gcc -O1 "$src/app.c" -o "$out/app64/app64.exe"
cp "$src/windows10.manifest" "$out/app64/app64.exe.manifest"
x86_64-w64-mingw32-gcc -O1 -DUSES_OPENGL "$src/app.c" -lopengl32 -o "$out/gl64/gl64.exe"
