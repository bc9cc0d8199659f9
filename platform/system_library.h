#pragma once
// System DLLs that the program does not import, loaded from the system folder
// only (never the folder the program was downloaded to), and their functions
// taken by type.
#include <windows.h>

#include <string>

// GetProcAddress hands back one function type for all; going through a plain
// function pointer type keeps GCC from warning about casts between unrelated ones.
template <typename Function>
Function asFunction(FARPROC entry) {
    static_assert(sizeof(Function) == sizeof(FARPROC), "a function pointer");
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

// A module's function by name, as the type it has; null when it lacks it.
template <typename Function>
Function procAddress(HMODULE module, const char* name) {
    return module != nullptr ? asFunction<Function>(GetProcAddress(module, name)) : nullptr;
}

// The full path of a loaded module's file (null: this program's own); empty
// when the system does not say.
std::wstring modulePath(HMODULE module);

// A system DLL by name, from the system folder only; null when it cannot be
// loaded (GetLastError says why). The caller owns the module.
HMODULE loadFromSystemFolder(const wchar_t* name);

// A function of a system DLL, loaded when first needed and kept loaded for the
// rest of the run; null when the DLL or the function is not there.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
    return procAddress<Function>(loadFromSystemFolder(library), name);
}

// While one lives, this thread's paths under the system folder name the files
// there, not the 32-bit ones WOW64 redirects a 32-bit program to (SysWOW64).
// Nothing may be loaded while it lives: only files read. Where there is no
// WOW64, it does nothing.
class RealFileSystem {
public:
    RealFileSystem();
    ~RealFileSystem();
    RealFileSystem(const RealFileSystem&) = delete;
    RealFileSystem& operator=(const RealFileSystem&) = delete;

private:
    bool off_ = false;
    void* old_ = nullptr;
};
