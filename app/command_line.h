#pragma once
// The command line, read by rules that need no Windows. Arguments the program
// does not know are ignored, so that existing shortcuts and scripts keep working.
#include <string>
#include <vector>

// The arguments after the program's name, split as the C runtime splits a
// Windows command line: blanks separate, double quotes group, backslashes
// escape a quote only when they precede one.
std::vector<std::wstring> splitCommandLine(const std::wstring& line);

enum class Output {
    Dialog,  // no report asked for: the dialog, as always
    Text,    // --report [FILE]: the plain-text report
    Json,    // --json [FILE]: the same facts as JSON
};

struct Options {
    bool help = false;       // --help or /?
    std::wstring opengl32;   // --opengl32 PATH; empty: the system's library
    Output output = Output::Dialog;
    std::wstring file;       // where the report goes; empty or "-": standard output
    // Set by --report or --json anywhere on the line, even a bad one: a script
    // gets no box, whatever happens.
    bool script = false;
    std::string error;       // what is wrong with the command line, if anything
};

Options parseOptions(const std::vector<std::wstring>& arguments);

extern const char kUsage[];
