#include "app/command_line.h"

const char kUsage[] =
    "gl-renderer-info [--opengl32 PATH] [--report [FILE] | --json [FILE]]\n"
    "\n"
    "  --opengl32 PATH   use this opengl32.dll instead of the system's,\n"
    "                    for example a software renderer's build\n"
    "  --report [FILE]   write the plain-text report to FILE, or with - or no\n"
    "                    FILE to standard output, and exit; no window appears\n"
    "  --json [FILE]     the same as JSON\n"
    "  --help, /?        show this text\n"
    "\n"
    "Exit codes: 0 done; 1 OpenGL could not be initialised (the report is\n"
    "still written); 2 bad command line; 3 FILE could not be written.\n"
    "Other arguments are ignored.";

namespace {

bool blank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> splitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> arguments;
    size_t i = 0;
    const size_t n = line.size();
    // The program's name: quotes only group, backslashes are plain.
    bool quoted = false;
    while (i < n && (quoted || !blank(line[i]))) {
        if (line[i] == L'"') quoted = !quoted;
        ++i;
    }
    for (;;) {
        while (i < n && blank(line[i])) ++i;
        if (i >= n) break;
        std::wstring argument;
        size_t backslashes = 0;
        quoted = false;
        for (; i < n; ++i) {
            const wchar_t c = line[i];
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            if (c == L'"') {
                argument.append(backslashes / 2, L'\\');
                const bool escaped = backslashes % 2 == 1;
                backslashes = 0;
                if (escaped) {
                    argument += L'"';
                } else if (quoted && i + 1 < n && line[i + 1] == L'"') {
                    argument += L'"';  // "" inside quotes is a quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                continue;
            }
            argument.append(backslashes, L'\\');
            backslashes = 0;
            if (blank(c) && !quoted) break;
            argument += c;
        }
        argument.append(backslashes, L'\\');
        arguments.push_back(argument);
    }
    return arguments;
}

namespace {

// An option's value: the next argument, unless it is another option.
bool takesValue(const std::vector<std::wstring>& arguments, size_t i) {
    if (i + 1 >= arguments.size()) return false;
    const std::wstring& next = arguments[i + 1];
    return next == L"-" || (next.compare(0, 2, L"--") != 0 && next != L"/?");
}

}  // namespace

Options parseOptions(const std::vector<std::wstring>& arguments) {
    Options options;
    for (const std::wstring& a : arguments) options.script = options.script || a == L"--report" || a == L"--json";
    bool haveOpenGl32 = false;
    for (size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::wstring& a = arguments[i];
        if (a == L"--help" || a == L"/?") {
            options.help = true;
        } else if (a == L"--opengl32") {
            if (haveOpenGl32) {
                options.error = "--opengl32 is given more than once.";
            } else if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                options.error = "--opengl32 needs the path of an opengl32.dll.";
            } else {
                options.opengl32 = arguments[++i];
                haveOpenGl32 = true;
            }
        } else if (a == L"--report" || a == L"--json") {
            if (options.output != Output::Dialog) {
                options.error = "--report or --json is given more than once.";
            } else {
                options.output = a == L"--report" ? Output::Text : Output::Json;
                if (takesValue(arguments, i)) options.file = arguments[++i];
            }
        }
    }
    return options;
}
