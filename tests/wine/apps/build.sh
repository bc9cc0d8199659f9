#!/usr/bin/env bash
# Builds the programs the --app tests read, in both bitnesses, whichever
# architecture the test bed is:   build.sh SOURCE_FOLDER OUTPUT_FOLDER
#   app32/app32.exe        32-bit, the Windows 10 manifest embedded, NvOptimusEnablement = 1
#   app32id2/app32id2.exe  32-bit, the same manifest embedded under ID 2, which no process reads
#   app64/app64.exe        64-bit, no manifest of its own: the same one beside it
#   gl64/gl64.exe          64-bit, imports opengl32.dll, no manifest at all
#   gl-x86/opengl32.dll, gl-x64/opengl32.dll   DLLs of that name, one of each bitness
#   lib/library.dll        a DLL, no program
#   driver/driver.sys      a native-subsystem image, as drivers are
#   efi/boot.efi           an EFI application
set -euo pipefail
src=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"/{app32,app32id2,app64,gl64,gl-x86,gl-x64,lib,driver,efi}
(cd "$src" && i686-w64-mingw32-windres windows10.rc -O coff -o "$work/windows10-32.res")
(cd "$src" && i686-w64-mingw32-windres -DMANIFEST_ID=2 windows10.rc -O coff -o "$work/windows10-id2.res")
i686-w64-mingw32-gcc -O1 -DOPTIMUS "$src/app.c" "$work/windows10-32.res" -o "$out/app32/app32.exe"
i686-w64-mingw32-gcc -O1 "$src/app.c" "$work/windows10-id2.res" -o "$out/app32id2/app32id2.exe"
x86_64-w64-mingw32-gcc -O1 "$src/app.c" -o "$out/app64/app64.exe"
cp "$src/windows10.manifest" "$out/app64/app64.exe.manifest"
x86_64-w64-mingw32-gcc -O1 -DUSES_OPENGL "$src/app.c" -lopengl32 -o "$out/gl64/gl64.exe"
i686-w64-mingw32-gcc -O1 -shared -DLIBRARY "$src/app.c" -o "$out/gl-x86/opengl32.dll"
x86_64-w64-mingw32-gcc -O1 -shared -DLIBRARY "$src/app.c" -o "$out/gl-x64/opengl32.dll"
x86_64-w64-mingw32-gcc -O1 -shared -DLIBRARY "$src/app.c" -o "$out/lib/library.dll"
x86_64-w64-mingw32-gcc -O1 -nostdlib -DBARE "$src/app.c" -Wl,--subsystem,native -e entry -o "$out/driver/driver.sys"
x86_64-w64-mingw32-gcc -O1 -nostdlib -DBARE "$src/app.c" -Wl,--subsystem,10 -e entry -o "$out/efi/boot.efi"
