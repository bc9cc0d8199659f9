#include "app/command_line.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/exit_code.h"
#include "platform/utf.h"
#include "report/requirements.h"
#include "res/version.h"

namespace {

const char kSynopsis[] =
    "gl-renderer-info [--opengl32 PATH]\n"
    "                 [--report [FILE] | --json [FILE] | --html [FILE]]\n"
    "                 [--require VERSION] [--require-extension NAME]... [--app PATH]\n"
    "                 [--compare FILE | --compare OLD NEW] [--pixel-formats]\n"
    "                 [--require-pixel-format LIST]\n";

const char kOptionsText[] =
    "  --opengl32 PATH    use this opengl32.dll instead of the system's,\n"
    "                     for example a software renderer's build\n"
    "  --report [FILE]    write the plain-text report to FILE, or with - or no\n"
    "                     FILE to standard output, and exit; no window appears\n"
    "  --json [FILE]      the same as JSON\n"
    "  --html [FILE]      the same as one HTML page, with the frame drawn\n"
    "  --require VERSION  exit with 4 unless OpenGL VERSION (such as 3.3), or a\n"
    "                     core profile of it (3.3core), is there; alone, it\n"
    "                     prints one line that says so\n"
    "  --require-extension NAME\n"
    "                     the same for an OpenGL or WGL extension; repeatable\n"
    "  --app PATH         say which OpenGL that program gets and why it may\n"
    "                     differ from this tool's; alone, print that and exit\n"
    "  --compare FILE     the report, and what changed since FILE, a JSON or\n"
    "                     HTML report this program wrote (--json, --html)\n"
    "  --compare OLD NEW  what changed between two such reports; no OpenGL\n"
    "  --pixel-formats    every pixel format in the report, one row each\n"
    "  --require-pixel-format LIST\n"
    "                     exit with 4 unless a format meets what a program asks,\n"
    "                     such as depth=24,stencil=8,samples=4,srgb; LIST takes\n"
    "                     colour=N, red=N, green=N, blue=N, alpha=N, depth=N,\n"
    "                     stencil=N, accum=N, aux=N, samples=N, double, stereo,\n"
    "                     srgb, float, pbuffer, bitmap, accelerated\n"
    "  --help, -h, /?     show this text\n"
    "\n"
    "In the dialog: Ctrl+C copies the report, Ctrl+S saves it, Ctrl+O checks a\n"
    "program; Ctrl with the arrow keys turns the cube, Ctrl+Home turns it back.\n"
    "\n"
    "Options are read in any case, as --name, -name or /name, with a value\n"
    "after a space, \"=\" or \":\" (a version also right after --require).\n"
    "A FILE of NUL keeps only the exit code. An argument that begins with --\n"
    "and names no option is refused; other arguments are ignored.\n";

}  // namespace

std::string usageSynopsis() { return kSynopsis; }

std::string usageText() {
    std::string text = GRI_PRODUCT_NAME " " GRI_VERSION_TEXT
                       ": which OpenGL this Windows gives programs, and whether it draws.\n\n";
    text += kSynopsis;
    text += "\n";
    text += kOptionsText;
    text += "Exit codes:\n";
    for (const ExitCodeMeaning& e : kExitCodes) text += "  " + std::to_string(exitValue(e.code)) + "  " + e.meaning + "\n";
    text += "\nThe full manual: docs/command-line.md beside the program's source, and\n"
            "README.txt in the release zip.";
    return text;
}

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

enum class Option { Help, OpenGl32, Report, Json, Html, Require, RequireExtension, App, Compare, PixelFormats, RequirePixelFormat };

// Every option, in one place: what it is called, whether it takes a value,
// whether that value may follow the name directly (a version: --require3.3),
// whether it asks for a script's output (no box, whatever happens), and what
// its value is.
struct KnownOption {
    Option option;
    const char* name;
    Value value;
    bool runIn;
    bool script;
    const char* needs;
};

const KnownOption kOptions[] = {
    {Option::Help, "help", Value::None, false, false, nullptr},
    {Option::OpenGl32, "opengl32", Value::Required, false, false, "the path of an opengl32.dll"},
    {Option::Report, "report", Value::Optional, false, true, "a FILE"},
    {Option::Json, "json", Value::Optional, false, true, "a FILE"},
    {Option::Html, "html", Value::Optional, false, true, "a FILE"},
    {Option::Require, "require", Value::Required, true, true, "a version, such as 3.3 or 3.3core"},
    {Option::RequireExtension, "require-extension", Value::Required, false, true, "the name of an extension"},
    {Option::App, "app", Value::Required, false, true, "the path of a program"},
    {Option::Compare, "compare", Value::Required, false, true, "a JSON or HTML report this program wrote"},
    {Option::PixelFormats, "pixel-formats", Value::None, false, true, nullptr},
    {Option::RequirePixelFormat, "require-pixel-format", Value::Required, false, true,
     "the attributes a program asks for, such as depth=24,stencil=8"},
};
const KnownOption& kHelp = kOptions[0];

// One argument, read as an option.
struct Argument {
    enum class Kind { NotOurs, Ours, Misspelt, Unknown } kind = Kind::NotOurs;  // Unknown: "--" and no option's name
    const KnownOption* option = nullptr;  // ours, or the one it misspells
    std::wstring written;                // the prefix and name as given
    wchar_t separator = 0;               // "=" or ":" before an attached value; 0: none or run in
    bool attached = false;               // a value in the same argument
    std::wstring value;
};

std::wstring widened(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

// Names this short are left alone: "-x", "/s" and the like are other programs' habits.
constexpr size_t kShortestMisspelling = 3;
// Two edits from a long name, one from a short one: two would take many an
// unrelated word for --app or --json ("/all", "-map").
size_t mostEdits(const std::wstring& name) { return name.size() >= 5 ? 2 : 1; }
// An unknown "--" option is told of the option this near it.
constexpr size_t kFarthestSuggestion = 3;

// A hyphen, or a dash that a web page or a word processor puts in its place
// (en and em dash, minus sign, their small and full-width forms).
bool isDash(wchar_t c) {
    return c == L'-' || (c >= 0x2010 && c <= 0x2015) || c == 0x2212 || c == 0xFE58 || c == 0xFE63 || c == 0xFF0D;
}

size_t dashes(const std::wstring& a) {
    size_t n = 0;
    while (n < a.size() && n < 2 && isDash(a[n])) ++n;
    return n;
}

Argument read(const std::wstring& a) {
    Argument argument;
    const size_t prefix = !a.empty() && a[0] == L'/' ? 1 : dashes(a);
    if (prefix == 0) return argument;
    const std::wstring rest = a.substr(prefix);
    size_t split = rest.find_first_of(L"=:");
    std::wstring name = asciiLower(rest.substr(0, split));
    if (name.empty()) return argument;  // "--", "-", a lone "/"
    if (name == L"?" || name == L"h") {
        argument.kind = Argument::Kind::Ours;
        argument.option = &kHelp;
        argument.written = a.substr(0, prefix + name.size());
        return argument;
    }
    size_t closest = static_cast<size_t>(-1);
    // The nearest option by edits, for a "--" name that is none of them.
    const KnownOption* nearest = nullptr;
    size_t nearestEdits = kFarthestSuggestion + 1;
    for (const KnownOption& option : kOptions) {
        const std::wstring candidate = widened(option.name);
        // A version run into the name: "--require3.3".
        if (option.runIn && split == std::wstring::npos && name.size() > candidate.size() &&
            name.compare(0, candidate.size(), candidate) == 0 && name[candidate.size()] >= L'0' &&
            name[candidate.size()] <= L'9') {
            argument.kind = Argument::Kind::Ours;
            argument.option = &option;
            argument.written = a.substr(0, prefix + candidate.size());
            argument.attached = true;
            argument.value = rest.substr(candidate.size());
            return argument;
        }
        const size_t edits = editDistance(name, candidate);
        if (edits == 0) {
            argument.kind = Argument::Kind::Ours;
            argument.option = &option;
            break;
        }
        if (edits < nearestEdits) {
            nearestEdits = edits;
            nearest = &option;
        }
        if (edits <= mostEdits(candidate) && edits < closest && name.size() >= kShortestMisspelling) {
            closest = edits;
            argument.kind = Argument::Kind::Misspelt;
            argument.option = &option;
        }
        // Two letters that begin an option's name, or are one edit from a
        // name of three ("--ap", "-js", "/pp"), are a slip too: a script
        // must never end up in the dialog.
        if (closest > 1 && name.size() == kShortestMisspelling - 1 &&
            (candidate.compare(0, name.size(), name) == 0 || (candidate.size() == 3 && edits == 1))) {
            closest = 1;
            argument.kind = Argument::Kind::Misspelt;
            argument.option = &option;
        }
    }
    // Two dashes are a script's way to name an option: one that names none is
    // no stray word to ignore, and the nearest, where one is near, is named.
    if (argument.kind == Argument::Kind::NotOurs && prefix == 2) {
        argument.kind = Argument::Kind::Unknown;
        argument.option = nearest;
    }
    argument.written = a.substr(0, prefix + std::min(split, rest.size()));
    argument.attached = split != std::wstring::npos;
    if (argument.attached) {
        argument.separator = rest[split];
        argument.value = rest.substr(split + 1);
    }
    return argument;
}

// Whether `next` can be an option's value: not an option of ours, nor a
// misspelling of one, nor anything else that begins with two dashes.
bool isValue(const std::wstring& next) { return read(next).kind == Argument::Kind::NotOurs && dashes(next) < 2; }

std::string asciiOnly(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c > 0 && c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// The option's value: attached, or the next argument where that is no
// option; false, with why, where it needs one and has none, or an empty one.
bool takeValue(const std::vector<std::wstring>& arguments, size_t* i, const Argument& a, const KnownOption& known,
               const std::string& written, std::wstring* value, std::string* error) {
    bool given = a.attached;
    if (a.attached) {
        *value = a.value;
    } else if (known.value != Value::None && *i + 1 < arguments.size() && isValue(arguments[*i + 1])) {
        *value = arguments[++*i];
        given = true;
    } else if (known.value == Value::Required && *i + 1 < arguments.size()) {
        *error = written + " needs " + known.needs + ", not the option " + wideToUtf8(arguments[*i + 1]) + ".";
        return false;
    }
    // An empty value is never taken for no value: an empty shell variable
    // must not send the report somewhere else.
    if (known.value != Value::None && value->empty() && (given || known.value == Value::Required)) {
        if (a.attached && a.separator != 0) {
            const std::string separator = wideToUtf8(std::wstring(1, a.separator));
            *error = written + separator + " needs " + known.needs + " after the \"" + separator + "\".";
        } else if (given) {
            *error = written + " needs " + known.needs + "; the one given is empty.";
        } else {
            *error = written + " needs " + known.needs + ".";
        }
        return false;
    }
    return true;
}

// What one option of ours, with its value, does to the options.
void applyOption(const KnownOption& known, const std::string& written, const std::wstring& value, Options& options) {
    switch (known.option) {
    case Option::Help:
        options.help = true;
        break;
    case Option::Report:
    case Option::Json:
    case Option::Html:
        if (options.output == Output::Text || options.output == Output::Json || options.output == Output::Html) {
            options.error = "--report, --json or --html is given more than once.";
        } else {
            options.output = known.option == Option::Report ? Output::Text : known.option == Option::Json ? Output::Json : Output::Html;
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
            options.error = written + " needs " + known.needs + ", not \"" + wideToUtf8(value) + "\".";
        }
        options.requirements.hasVersion = true;
        break;
    case Option::RequireExtension:
        options.requirements.extensions.push_back(wideToUtf8(value));
        break;
    case Option::App:
        if (!options.app.empty()) options.error = "--app is given more than once.";
        options.app = value;
        break;
    case Option::PixelFormats:
        options.listPixelFormats = true;
        break;
    case Option::RequirePixelFormat: {
        std::string why;
        if (options.requirements.pixelFormat.asked) {
            options.error = "--require-pixel-format is given more than once.";
        } else if (!parsePixelFormatRequest(wideToUtf8(value), &options.requirements.pixelFormat, &why)) {
            options.error = written + ": " + why;
        }
        break;
    }
    case Option::Compare:
        if (!options.compare.empty()) options.error = "--compare is given more than once.";
        options.compare = value;
        break;
    }
}

// Which output the whole line asks for: two reports alone, the report with
// what changed or every format, a program's summary, or the requirements' line.
void settleOutput(Options& options) {
    if (!options.compareNewer.empty() && options.error.empty()) {
        // Two reports alone: nothing of this machine is asked.
        if (!options.app.empty() || options.requirements.any() || options.listPixelFormats) {
            options.error = "--compare OLD NEW compares two reports; --app, --require and --pixel-formats ask about this machine.";
        } else if (options.output == Output::Html) {
            options.error = "--compare OLD NEW writes what changed as text or JSON; --html writes this machine's report.";
        } else if (options.output == Output::Text || options.output == Output::Json) {
            options.comparisonJson = options.output == Output::Json;
            options.output = Output::Comparison;
        } else {
            options.output = Output::Comparison;
        }
        return;
    }
    // --compare FILE is the report with what changed, whatever else asks for
    // one line; --pixel-formats is the report with every format.
    if ((!options.compare.empty() || options.listPixelFormats) &&
        (options.output == Output::Dialog || options.output == Output::Requirements)) {
        options.output = Output::Text;
    }
    if (options.output == Output::Dialog && !options.app.empty()) options.output = Output::Application;
    if (options.output == Output::Dialog && options.requirements.any()) options.output = Output::Requirements;
}

}  // namespace

Options parseOptions(const std::vector<std::wstring>& arguments) {
    Options options;
    for (const std::wstring& a : arguments) {
        const Argument argument = read(a);
        if (argument.kind == Argument::Kind::Unknown || (argument.kind != Argument::Kind::NotOurs && argument.option->script)) {
            options.script = true;
        }
    }
    for (size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const Argument a = read(arguments[i]);
        if (a.kind == Argument::Kind::NotOurs) continue;
        const std::string written = wideToUtf8(a.written);
        if (a.kind == Argument::Kind::Unknown) {
            options.error = "Unknown option " + written + (a.option != nullptr ? "; did you mean --" + std::string(a.option->name) + "?" : ".");
            options.usage = true;
            break;
        }
        const KnownOption& known = *a.option;
        if (a.kind == Argument::Kind::Misspelt) {
            options.error = "Unknown option " + written + "; did you mean --" + known.name + "?";
            options.usage = true;
            break;
        }
        std::wstring value;
        if (!takeValue(arguments, &i, a, known, written, &value, &options.error)) break;
        applyOption(known, written, value, options);
        // A second file: the later report of the two.
        if (known.option == Option::Compare && !a.attached && i + 1 < arguments.size() && isValue(arguments[i + 1])) {
            options.compareNewer = arguments[++i];
        }
    }
    settleOutput(options);
    return options;
}
