#pragma once
// One owner for every kind of handle: it closes what it holds when it goes out
// of scope, once, with the function that kind of handle needs. Moved, never
// copied. `Invalid` is what the system hands out for "none" (null for most,
// INVALID_HANDLE_VALUE for files and snapshots).
#include <windows.h>

#include <cstdint>

template <typename T, auto Close, std::intptr_t Invalid = 0>
class Unique {
public:
    Unique() = default;
    explicit Unique(T handle) : handle_(handle) {}
    ~Unique() { reset(); }
    Unique(Unique&& other) noexcept : handle_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != none(); }
    // For functions that hand the handle out through a pointer.
    T* put() {
        reset();
        return &handle_;
    }
    // Gives the handle up without closing it: someone else owns it now.
    T release() {
        const T handle = handle_;
        handle_ = none();
        return handle;
    }
    void reset(T handle = none()) {
        if (handle_ != none()) Close(handle_);
        handle_ = handle;
    }

    static T none() { return reinterpret_cast<T>(Invalid); }

private:
    T handle_ = none();
};

using UniqueRegKey = Unique<HKEY, RegCloseKey>;
using UniqueModule = Unique<HMODULE, FreeLibrary>;
using UniqueGlobal = Unique<HGLOBAL, GlobalFree>;
using UniqueLocal = Unique<HLOCAL, LocalFree>;
using UniqueHook = Unique<HHOOK, UnhookWindowsHookEx>;
using UniqueMenu = Unique<HMENU, DestroyMenu>;
using UniqueAccelerators = Unique<HACCEL, DestroyAcceleratorTable>;
using UniqueBrush = Unique<HBRUSH, DeleteObject>;
// CreateFile and CreateToolhelp32Snapshot answer INVALID_HANDLE_VALUE for none.
using UniqueFile = Unique<HANDLE, CloseHandle, -1>;
// A file mapping answers null for none, and so does its view.
using UniqueHandle = Unique<HANDLE, CloseHandle>;
using UniqueView = Unique<void*, UnmapViewOfFile>;

inline void releaseCom(IUnknown* object) { object->Release(); }
// A COM object's one reference.
template <typename Interface>
using UniqueCom = Unique<Interface*, releaseCom>;
