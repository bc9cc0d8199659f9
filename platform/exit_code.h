#pragma once
// What the program's exit code says, in one table: the code returns these,
// --help lists them, and a test holds the manual to them.

enum class ExitCode : int {
    Done = 0,
    OpenGlFailed = 1,       // the report is still written
    BadCommandLine = 2,
    NotWritten = 3,
    RequirementNotMet = 4,
    CannotGoOn = 5,         // out of memory, or an internal error
    CannotJudgeHere = 6,    // a requirement asked where OpenGL cannot be measured
};

struct ExitCodeMeaning {
    ExitCode code;
    const char* meaning;
};

inline constexpr ExitCodeMeaning kExitCodes[] = {
    {ExitCode::Done, "done"},
    {ExitCode::OpenGlFailed, "OpenGL could not be initialised (the report is still written)"},
    {ExitCode::BadCommandLine, "bad command line, or a file given to read that is no report or program"},
    {ExitCode::NotWritten, "FILE could not be written"},
    {ExitCode::RequirementNotMet, "a requirement is not met"},
    {ExitCode::CannotGoOn, "the program could not go on (out of memory, or an internal error)"},
    {ExitCode::CannotJudgeHere, "a requirement cannot be judged here: session 0, a service, no display"},
};

constexpr int exitValue(ExitCode code) { return static_cast<int>(code); }
