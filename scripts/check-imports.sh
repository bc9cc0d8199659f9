#!/usr/bin/env bash
# Checks what a built program imports:  check-imports.sh PROGRAM.exe
# - only the core system DLLs that Windows always maps from its own folder
#   (a DLL of any other name is looked for beside the program first);
# - nothing that Windows XP SP3 lacks, from the Vista-and-later functions that
#   the toolchain's runtimes are known to pull in.
# Prints the import list; exits 1 on an import that is not allowed.
set -euo pipefail
exe=$1
case "$(file -b "$exe")" in
  *x86-64*) objdump=x86_64-w64-mingw32-objdump ;;
  *) objdump=i686-w64-mingw32-objdump ;;
esac
allowed_dlls="kernel32.dll user32.dll gdi32.dll advapi32.dll msvcrt.dll"
vista_and_later="GetTickCount64
InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW WakeConditionVariable WakeAllConditionVariable
InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared ReleaseSRWLockExclusive ReleaseSRWLockShared TryAcquireSRWLockExclusive TryAcquireSRWLockShared
InitOnceInitialize InitOnceBeginInitialize InitOnceComplete InitOnceExecuteOnce
FlsAlloc FlsFree FlsGetValue FlsSetValue
InitializeCriticalSectionEx CreateEventExA CreateEventExW CreateSemaphoreExW CreateMutexExW
GetSystemTimePreciseAsFileTime GetCurrentProcessorNumber GetErrorMode QueryFullProcessImageNameA QueryFullProcessImageNameW
GetLocaleInfoEx LCMapStringEx CompareStringEx GetFileInformationByHandleEx GetFinalPathNameByHandleW
SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory"

listing=$("$objdump" -p "$exe" | awk '
  /DLL Name:/ { dll = tolower($3); print "dll " dll; next }
  dll != "" && /^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ { print "fn " dll " " $3 }')
status=0
echo "$exe imports:"
while read -r kind dll fn; do
  if [ "$kind" = dll ]; then
    printf '  %s\n' "$dll"
    case " $allowed_dlls " in
      *" $dll "*) ;;
      *) echo "    not allowed: a DLL of this name beside the program would be loaded in its place"; status=1 ;;
    esac
  else
    for bad in $vista_and_later; do
      if [ "$fn" = "$bad" ]; then
        echo "    $fn: not on Windows XP (look it up at run time instead)"
        status=1
      fi
    done
  fi
done <<<"$listing"
exit "$status"
