#include "platform/fatal.h"

#include "platform/exit_code.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

FatalReporter s_reporter = nullptr;

void toStandardError(const char* what) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(error, what, static_cast<DWORD>(std::strlen(what)), &written, nullptr);
    WriteFile(error, "\r\n", 2, &written, nullptr);
}

// The kind of internal error is named, so that a report of it says which.
[[noreturn]] void internalError(const char* kind) {
    char what[96] = "The program stopped on an internal error: ";
    std::strncat(what, kind, sizeof what - std::strlen(what) - 2);
    std::strcat(what, ".");
    fatalError(what);
}
[[noreturn]] void terminated() { internalError("terminate"); }

void* allocate(std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) fatalError("The program ran out of memory.");
    return block;
}

}  // namespace

void setFatalReporter(FatalReporter reporter) { s_reporter = reporter; }

void fatalError(const char* what) {
    // A reporter that fails in turn ends here again: then only the exit code tells.
    static bool reporting = false;
    if (!reporting) {
        reporting = true;
        if (s_reporter != nullptr) {
            s_reporter(what);
        } else {
            toStandardError(what);
        }
    }
    ExitProcess(exitValue(ExitCode::CannotGoOn));
}

// The standard library's own versions throw, and pull in the exception
// classes and their strings; nothing here would catch them.
namespace std {
void __throw_bad_alloc() { fatalError("The program ran out of memory."); }
void __throw_bad_array_new_length() { fatalError("The program ran out of memory."); }
void __throw_length_error(const char*) { internalError("length_error"); }
void __throw_bad_cast() { internalError("bad_cast"); }
void __throw_bad_typeid() { internalError("bad_typeid"); }
void __throw_bad_exception() { internalError("bad_exception"); }
void __throw_logic_error(const char*) { internalError("logic_error"); }
void __throw_domain_error(const char*) { internalError("domain_error"); }
void __throw_invalid_argument(const char*) { internalError("invalid_argument"); }
void __throw_out_of_range(const char*) { internalError("out_of_range"); }
void __throw_out_of_range_fmt(const char*, ...) { internalError("out_of_range"); }
void __throw_runtime_error(const char*) { internalError("runtime_error"); }
void __throw_range_error(const char*) { internalError("range_error"); }
void __throw_overflow_error(const char*) { internalError("overflow_error"); }
void __throw_underflow_error(const char*) { internalError("underflow_error"); }
}  // namespace std

// The default terminate handler, in place of the library's, which prints the
// exception's demangled type and so brings the whole demangler along.
namespace __gnu_cxx {
void __verbose_terminate_handler() { terminated(); }
}  // namespace __gnu_cxx

// Allocation that never throws: without memory there is nothing to go on with.
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
