#include "app/command_line.h"

#include <algorithm>

#include "report/requirements.h"
#include "platform/utf.h"

const char kUsage[] =
    "gl-renderer-info [--opengl32 PATH] [--report [FILE] | --json [FILE]]\n"
    "                 [--require VERSION] [--require-extension NAME]...\n"
    "\n"
    "  --opengl32 PATH    use this opengl32.dll instead of the system's,\n"
    "                     for example a software renderer's build\n"
    "  --report [FILE]    write the plain-text report to FILE, or with - or no\n"
    "                     FILE to standard output, and exit; no window appears\n"
    "  --json [FILE]      the same as JSON\n"
    "  --require VERSION  exit with 4 unless OpenGL VERSION (such as 3.3), or a\n"
    "                     core profile of it (3.3core), is there; alone, it\n"
    "                     prints one line that says so\n"
    "  --require-extension NAME\n"
    "                     the same for an OpenGL or WGL extension; repeatable\n"
    "  --help, -h, /?     show this text\n"
    "\n"
    "Options are read in any case, as --name, -name or /name, with a value\n"
    "after a space or \"=\" (or \":\" after /name). A FILE of NUL keeps only\n"
    "the exit code.\n"
    "Exit codes: 0 done; 1 OpenGL could not be initialised (the report is\n"
    "still written); 2 bad command line; 3 FILE could not be written;\n"
    "4 a requirement is not met. Other arguments are ignored.";

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

enum class Value { None, Optional, Required };

enum class Option { Help, OpenGl32, Report, Json, Require, RequireExtension };

// Every option, in one place: what it is called, whether it takes a value,
// whether it asks for a script's output (no box, whatever happens), and what
// is said when its value is missing.
struct OptionSpec {
    Option option;
    const char* name;
    Value value;
    bool script;
    const char* missingValue;
};

const OptionSpec kOptions[] = {
    {Option::Help, "help", Value::None, false, nullptr},
    {Option::OpenGl32, "opengl32", Value::Required, false, "--opengl32 needs the path of an opengl32.dll"},
    {Option::Report, "report", Value::Optional, true, "--report= needs a FILE after the \"=\"."},
    {Option::Json, "json", Value::Optional, true, "--json= needs a FILE after the \"=\"."},
    {Option::Require, "require", Value::Required, true, "--require needs a version, such as 3.3 or 3.3core"},
    {Option::RequireExtension, "require-extension", Value::Required, true,
     "--require-extension needs the name of an extension"},
};
const OptionSpec& kHelp = kOptions[0];

// One argument, read as an option.
struct Argument {
    enum class Kind { NotOurs, Ours, Misspelt } kind = Kind::NotOurs;
    const OptionSpec* option = nullptr;  // ours, or the one it misspells
    std::wstring written;                // the prefix and name as given
    bool attached = false;               // a value after "=" or ":"
    std::wstring value;
};

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

std::wstring widened(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

// Edits (insertions, deletions, substitutions, swaps of neighbours) from a to b.
size_t editDistance(const std::wstring& a, const std::wstring& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// Names this short are left alone: "-x", "/s" and the like are other programs' habits.
constexpr size_t kShortestMisspelling = 3;
constexpr size_t kMostEdits = 2;

Argument read(const std::wstring& a) {
    Argument argument;
    size_t prefix = 0;
    bool slash = false;
    if (a.compare(0, 2, L"--") == 0) {
        prefix = 2;
    } else if (!a.empty() && (a[0] == L'-' || a[0] == L'/')) {
        prefix = 1;
        slash = a[0] == L'/';
    } else {
        return argument;
    }
    const std::wstring rest = a.substr(prefix);
    size_t split = rest.find(L'=');
    if (slash) split = std::min(split, rest.find(L':'));
    const std::wstring name = lower(rest.substr(0, split));
    if (name.empty()) return argument;  // "--", "-", a lone "/"
    argument.written = a.substr(0, prefix + std::min(split, rest.size()));
    argument.attached = split != std::wstring::npos;
    if (argument.attached) argument.value = rest.substr(split + 1);
    if (name == L"?" || name == L"h") {
        argument.kind = Argument::Kind::Ours;
        argument.option = &kHelp;
        return argument;
    }
    size_t closest = kMostEdits + 1;
    for (const OptionSpec& option : kOptions) {
        const size_t edits = editDistance(name, widened(option.name));
        if (edits == 0) {
            argument.kind = Argument::Kind::Ours;
            argument.option = &option;
            return argument;
        }
        if (edits < closest && name.size() >= kShortestMisspelling) {
            closest = edits;
            argument.kind = Argument::Kind::Misspelt;
            argument.option = &option;
        }
    }
    return argument;
}

// Whether `next` can be an option's value: not an option of ours, nor a
// misspelling of one, nor anything else that begins with "--".
bool isValue(const std::wstring& next) {
    return read(next).kind == Argument::Kind::NotOurs && next.compare(0, 2, L"--") != 0;
}

std::string asciiOnly(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c > 0 && c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

Options parseOptions(const std::vector<std::wstring>& arguments) {
    Options options;
    for (const std::wstring& a : arguments) {
        const Argument argument = read(a);
        if (argument.kind != Argument::Kind::NotOurs && argument.option->script) options.script = true;
    }
    for (size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const Argument a = read(arguments[i]);
        if (a.kind == Argument::Kind::NotOurs) continue;
        const OptionSpec& spec = *a.option;
        if (a.kind == Argument::Kind::Misspelt) {
            options.error = "Unknown option " + wideToUtf8(a.written) + "; did you mean --" + spec.name + "?";
            break;
        }
        std::wstring value;
        if (a.attached) {
            value = a.value;
        } else if (spec.value != Value::None && i + 1 < arguments.size() && isValue(arguments[i + 1])) {
            value = arguments[++i];
        } else if (spec.value == Value::Required && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            options.error = std::string(spec.missingValue) + ", not the option " + wideToUtf8(arguments[i + 1]) + ".";
            break;
        }
        if (spec.value == Value::Required && value.empty()) {
            options.error = std::string(spec.missingValue) + ".";
            break;
        }
        switch (spec.option) {
        case Option::Help:
            options.help = true;
            break;
        case Option::Report:
        case Option::Json:
            if (options.output == Output::Text || options.output == Output::Json) {
                options.error = "--report or --json is given more than once.";
            } else if (a.attached && value.empty()) {
                options.error = spec.missingValue;
            } else {
                options.output = spec.option == Option::Report ? Output::Text : Output::Json;
                options.file = value;
            }
            break;
        case Option::OpenGl32:
            if (!options.opengl32.empty()) options.error = "--opengl32 is given more than once.";
            options.opengl32 = value;
            break;
        case Option::Require:
            if (options.requirements.hasVersion) {
                options.error = "--require is given more than once.";
            } else if (!parseRequiredVersion(asciiOnly(value), &options.requirements.version)) {
                options.error = std::string(spec.missingValue) + ", not \"" + wideToUtf8(value) + "\".";
            }
            options.requirements.hasVersion = true;
            break;
        case Option::RequireExtension:
            options.requirements.extensions.push_back(wideToUtf8(value));
            break;
        }
    }
    if (options.output == Output::Dialog && options.requirements.any()) options.output = Output::Requirements;
    return options;
}
