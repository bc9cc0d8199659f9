#pragma once
// The command line, read by rules that need no Windows. Every option is read
// whatever its case, as --name, -name or /name (a dash pasted from a document
// counts as a hyphen), with its value after a space, "=" or ":", and a version
// also right after --require. An empty value is refused. An argument within
// two edits of an option's name is refused as a misspelling, and so is any
// other argument that begins with two dashes; anything else the program does
// not know is ignored, so that existing shortcuts keep working.
#include <string>
#include <vector>

#include "report/requirements.h"

// The arguments after the program's name, split as the C runtime splits a
// Windows command line: blanks separate, double quotes group, backslashes
// escape a quote only when they precede one.
std::vector<std::wstring> splitCommandLine(const std::wstring& line);

enum class Output {
    Dialog,        // no report asked for: the dialog, as always
    Text,          // --report [FILE]: the plain-text report
    Json,          // --json [FILE]: the same facts as JSON
    Html,          // --html [FILE]: the same as one HTML page
    Requirements,  // --require alone: one line that says whether they are met
    Application,   // --app alone: the summary for that program and its block
    Comparison,    // --compare OLD NEW: what changed between two reports, without OpenGL
};

struct Options {
    bool help = false;       // --help, -h, /?
    std::wstring opengl32;   // --opengl32 PATH; empty: the system's library
    Output output = Output::Dialog;
    std::wstring file;       // where the report goes; empty or "-": standard output
    std::wstring app;        // --app PATH: the program to say what OpenGL it gets; empty: none
    std::wstring compare;    // --compare FILE: the earlier report; empty: none
    std::wstring compareNewer;  // --compare OLD NEW: the later one; empty: this machine now
    bool comparisonJson = false;  // --compare OLD NEW with --json: the changes as JSON
    Requirements requirements;
    bool listPixelFormats = false;  // --pixel-formats: every format in the report
    // Set by a script option (--report, --json, --require...) anywhere on the
    // line, even a bad one, or by a misspelling of one: a script gets no box,
    // whatever happens.
    bool script = false;
    std::string error;       // what is wrong with the command line, if anything
    bool usage = false;      // the error names no option of ours: the synopsis follows it
};

Options parseOptions(const std::vector<std::wstring>& arguments);

// --help: what the program is and its version, the synopsis, the options, the
// exit codes, and where the full manual is.
std::string usageText();
// The synopsis alone, for a refused command line.
std::string usageSynopsis();
