#include "app/command_line.h"

const char kUsage[] =
    "gl-renderer-info [--opengl32 PATH]\n"
    "\n"
    "  --opengl32 PATH   use this opengl32.dll instead of the system's,\n"
    "                    for example a software renderer's build\n"
    "  --help, /?        show this text\n"
    "\n"
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

Options parseOptions(const std::vector<std::wstring>& arguments) {
    Options options;
    bool haveOpenGl32 = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
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
        }
        if (!options.error.empty()) break;
    }
    return options;
}
