#pragma once
// What ends the program when it cannot go on: memory ran out, or the standard
// library met a request it cannot carry out. The program catches no
// exceptions, so neither is thrown: each ends here at once, with a message
// that says so, and ExitCode::CannotGoOn.

// How the message reaches the person or the script; until one is set it goes
// to standard error, if there is one.
using FatalReporter = void (*)(const char* what);
void setFatalReporter(FatalReporter reporter);

[[noreturn]] void fatalError(const char* what);
