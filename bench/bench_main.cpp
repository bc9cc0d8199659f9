// Runs the program and the bare-platform baseline in turns, measures each run
// from outside as a user would see it (start-up to the first frame, frame rate
// while dragging, peak working set) and prints the medians as a table.
//
//   bench.exe [runs, default 11] [drag steps, default 1000]
// The program and the baseline are taken from the benchmark's own folder.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/wine/harness.h"

namespace {

constexpr char kCaption[] = "OpenGL Renderer infos";
constexpr DWORD kTimeoutMs = 30000;

double seconds() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool sendChecked(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, kTimeoutMs, &result) != 0;
}

// The phases of start-up the program and the baselines note (GRI_STARTUP_TIMES).
constexpr int kPhases = 4;
const char* const kPhaseNames[kPhases] = {"Entry (WinMain)", "Dialog initialised (WM_INITDIALOG)", "OpenGL context made",
                                          "First frame swapped"};

struct Sample {
    double startupMs = 0;
    double phaseMs[kPhases] = {-1, -1, -1, -1};  // from process start; -1: not noted
    double reportMs = 0;  // the program only: --report FILE, from process start to exit
    double reportFormatsMs = 0;  // the same with --pixel-formats
    double framesPerSecond = 0;
    double peakMiB = 0;
    double privateMiB = 0;
    bool frameSeen = false;
    std::string info;
};

// The dialog is up and its scene control painted: after WaitForInputIdle, the
// control's update region is empty once everything queued before a message
// round trip has been handled. Painting the control is what swaps its frame.
HWND waitForFirstFrame(const harness::App& app, HWND* control) {
    const double deadline = seconds() + kTimeoutMs / 1000.0;
    WaitForInputIdle(app.process(), kTimeoutMs);
    HWND dialog = nullptr;
    while (seconds() < deadline && WaitForSingleObject(app.process(), 0) == WAIT_TIMEOUT) {
        if (dialog == nullptr) dialog = harness::findTopWindow(app.pid(), kCaption);
        if (dialog != nullptr && IsWindowVisible(dialog)) {
            *control = GetDlgItem(dialog, IDC_SCENE_CONTROL);
            if (*control != nullptr && sendChecked(*control, WM_NULL) && !GetUpdateRect(*control, nullptr, FALSE))
                return dialog;
        }
        Sleep(1);
    }
    return nullptr;
}

// Pointer moves with the left button down, 4 pixels at a time back and forth
// across the control, so that every step turns the program's cube.
bool dragFramesPerSecond(HWND control, int steps, double* framesPerSecond) {
    RECT client;
    if (!GetClientRect(control, &client)) return false;
    const int left = client.right / 4;
    const int right = client.right - client.right / 4;
    const int y = client.bottom / 2;
    int x = left;
    int step = 4;
    if (!sendChecked(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y))) return false;
    const double start = seconds();
    for (int i = 0; i < steps; ++i) {
        if (x + step > right || x + step < left) step = -step;
        x += step;
        if (!sendChecked(control, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y))) return false;
    }
    const double elapsed = seconds() - start;
    sendChecked(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    *framesPerSecond = elapsed > 0 ? steps / elapsed : 0;
    return elapsed > 0;
}

bool imageShowsSomething(const harness::Image& image) {
    size_t lit = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        if (image.rgb[i] > 16 || image.rgb[i + 1] > 16 || image.rgb[i + 2] > 16) ++lit;
    return image.width > 0 && lit * 10 > static_cast<size_t>(image.width) * image.height;
}

struct Subject {
    const char* label;
    std::string exe;
    std::string arguments;
    std::vector<Sample> samples;
};

// The private (anonymous) memory, in MiB, of the Unix process that runs the
// newest Windows process of this program under Wine; -1 when there is none.
// Wine answers 0 for PrivateUsage. The kernel's own count leaves out pages of
// shared files, such as Wine's theme file, whose mapping a huge page can
// inflate in the working set. Only one subject runs at a time in this prefix;
// the tests of other prefixes may run the same program meanwhile, so only a
// process of this set of prefixes (GRI_WINE_SET, which it inherits) counts.
double privateMiB(const std::string& exe) {
    const std::string name = exe.substr(exe.find_last_of('\\') + 1);
    const char* set = std::getenv("GRI_WINE_SET");
    // "[g]l-..." so that the shell running pgrep does not match itself.
    const std::string pid = harness::runUnix(
        "for p in $(pgrep -f -- '[" + name.substr(0, 1) + "]" + name.substr(1) + "'); do " +
        (set != nullptr ? "tr '\\0' '\\n' </proc/$p/environ 2>/dev/null | grep -qx 'GRI_WINE_SET=" + std::string(set) + "' && " : "") +
        "echo $p; done | tail -n 1");
    if (pid.empty() || pid[0] < '0' || pid[0] > '9') return -1;
    const std::string rollup = harness::runUnix("cat /proc/" + std::to_string(std::atoi(pid.c_str())) + "/smaps_rollup");
    const size_t line = rollup.find("\nAnonymous:");
    if (line == std::string::npos) return -1;
    return std::atof(rollup.c_str() + line + 11) / 1024.0;
}

// The times the subject noted for its phases, in ms from `start`, once the
// file is there (it is written right after the first frame).
void readPhases(const std::string& file, double start, Sample* sample) {
    std::string text;
    for (int tries = 0; tries < 200 && text.find("frame ") == std::string::npos; ++tries, Sleep(5)) text = harness::readAll(file);
    DeleteFileA(file.c_str());
    const size_t f = text.find("frequency ");
    const double frequency = f == std::string::npos ? 0 : std::atof(text.c_str() + f + 10);
    const char* keys[kPhases] = {"\nentry ", "\ndialog ", "\ncontext ", "\nframe "};
    for (int k = 0; k < kPhases && frequency > 0; ++k) {
        const size_t at = text.find(keys[k]);
        if (at != std::string::npos) sample->phaseMs[k] = (std::atof(text.c_str() + at + std::strlen(keys[k])) / frequency - start) * 1000.0;
    }
}

bool measure(const Subject& subject, int steps, bool inspect, Sample* sample) {
    const char* name = subject.label;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string phases = std::string(temp) + "gri-bench-phases.txt";
    DeleteFileA(phases.c_str());
    harness::App app;
    const double start = seconds();
    if (!app.start(subject.exe, {{"GRI_STARTUP_TIMES", phases}}, subject.arguments)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", subject.exe.c_str(), GetLastError());
        return false;
    }
    HWND control = nullptr;
    HWND dialog = waitForFirstFrame(app, &control);
    if (dialog == nullptr) {
        std::fprintf(stderr, "%s: no painted dialog within %lu ms\n", name, kTimeoutMs);
        return false;
    }
    sample->startupMs = (seconds() - start) * 1000.0;
    readPhases(phases, start, sample);
    // Phases missing or out of order: the figures below would mean nothing.
    for (int k = 0; k < kPhases; ++k) {
        if (sample->phaseMs[k] < 0 || (k > 0 && sample->phaseMs[k] < sample->phaseMs[k - 1])) {
            std::fprintf(stderr, "%s: the start-up phase \"%s\" was not noted in order (%.1f ms)\n", name, kPhaseNames[k], sample->phaseMs[k]);
            return false;
        }
    }

    if (inspect) {
        // Not timed: proof that the frame is really there, and what renders it.
        harness::Image image;
        sample->frameSeen = harness::grabControlFrame(control, &image) && imageShowsSomething(image);
        HWND info = GetDlgItem(dialog, IDC_INFO_TEXT);
        if (info != nullptr) sample->info = harness::windowText(info);
    }

    if (!dragFramesPerSecond(control, steps, &sample->framesPerSecond)) {
        std::fprintf(stderr, "%s: the drag did not go through\n", name);
        return false;
    }

    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(app.process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        std::fprintf(stderr, "%s: no memory counters (error %lu)\n", name, GetLastError());
        return false;
    }
    sample->peakMiB = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    // Windows' own count where the system gives one, the kernel's under Wine.
    sample->privateMiB = counters.PrivateUsage != 0 ? static_cast<double>(counters.PrivateUsage) / (1024.0 * 1024.0)
                                                    : privateMiB(subject.exe);
    // Under load the Unix side may not show the process at once: a few more looks.
    for (int tries = 0; tries < 5 && sample->privateMiB < 0; ++tries) {
        Sleep(200);
        sample->privateMiB = privateMiB(subject.exe);
    }
    if (sample->privateMiB < 0) {
        std::fprintf(stderr, "%s: no private memory figure\n", name);
        return false;
    }

    sendChecked(dialog, WM_COMMAND, IDCANCEL);
    DWORD exitCode = 0;
    if (!app.waitForExit(kTimeoutMs, &exitCode)) {
        std::fprintf(stderr, "%s did not close\n", name);
        return false;
    }
    return true;
}

// What a script waits for: the program started with --report FILE, until it
// has written the file and exited.
bool measureReport(const std::string& exe, const char* more, double* ms) {
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    const std::string file = std::string(path) + "gri-bench-report.txt";
    DeleteFileA(file.c_str());
    harness::App app;
    const double start = seconds();
    if (!app.startWithHandles(exe, {}, "--report \"" + file + "\"" + more, nullptr, nullptr)) return false;
    DWORD exitCode = 1000;
    if (!app.waitForExit(kTimeoutMs, &exitCode)) return false;
    *ms = (seconds() - start) * 1000.0;
    const bool written = GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileA(file.c_str());
    if (exitCode != 0 || !written) {
        std::fprintf(stderr, "--report: exit code %lu, file %s\n", exitCode, written ? "written" : "missing");
        return false;
    }
    return true;
}

// Wine's settings for one program (HKCU\Software\Wine\AppDefaults\<exe>),
// which the test prefix gives the program alone: its opengl32 override, so
// that --opengl32 loads the library named, as Windows would, also slows every
// load of the system's opengl32 by several milliseconds. For as long as it
// lives, the baselines get the same settings, so that the ratios compare the
// programs, not their prefix's settings. Nothing is set on Windows, which has
// no such key.
class SameWineSettings {
public:
    SameWineSettings(const char* from, const char* to) : to_(std::string(kAppDefaults) + to + "\\DllOverrides") {
        HKEY source = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + from + "\\DllOverrides").c_str(), 0, KEY_READ, &source) !=
            ERROR_SUCCESS) {
            return;
        }
        HKEY target = nullptr;
        if (RegCreateKeyA(HKEY_CURRENT_USER, to_.c_str(), &target) == ERROR_SUCCESS) {
            made_ = true;
            for (DWORD i = 0;; ++i) {
                char name[256];
                BYTE data[256];
                DWORD nameLength = sizeof name, size = sizeof data, type = 0;
                if (RegEnumValueA(source, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
                RegSetValueExA(target, name, 0, type, data, size);
            }
            RegCloseKey(target);
        }
        RegCloseKey(source);
    }
    ~SameWineSettings() {
        if (made_) RegDeleteKeyA(HKEY_CURRENT_USER, to_.c_str());
    }
    SameWineSettings(const SameWineSettings&) = delete;
    SameWineSettings& operator=(const SameWineSettings&) = delete;

private:
    static constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\";
    std::string to_;
    bool made_ = false;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    if (n == 0) return 0;
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The median of one figure over the runs, and the median of its run-by-run
// ratio to another subject's.
double medianOf(const Subject& s, double Sample::*figure) {
    std::vector<double> values;
    for (const Sample& sample : s.samples) values.push_back(sample.*figure);
    return median(values);
}

double medianRatio(const Subject& s, const Subject& base, double Sample::*figure) {
    std::vector<double> ratios;
    for (size_t i = 0; i < s.samples.size(); ++i) ratios.push_back(s.samples[i].*figure / base.samples[i].*figure);
    return median(ratios);
}

double fileKiB(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return static_cast<double>(size) / 1024.0;
}

std::string number(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void printIndented(const std::string& text) {
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find('\n', from);
        if (to == std::string::npos) to = text.size();
        std::string line = text.substr(from, to - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::printf("    %s\n", line.c_str());
        from = to + 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 11;
    const int steps = argc > 2 ? std::atoi(argv[2]) : 1000;
    if (runs < 1 || steps < 1) {
        std::fprintf(stderr, "usage: bench.exe [runs] [drag steps]\n");
        return 2;
    }
    const std::string baselineExe = harness::binDir() + "\\bench-baseline.exe";
    const SameWineSettings sameSettings("gl-renderer-info.exe", "bench-baseline.exe");
    Subject subjects[] = {
        {"program", harness::binDir() + "\\gl-renderer-info.exe", "", {}},
        {"baseline", baselineExe, "", {}},
        {"cube baseline", baselineExe, "cube", {}},
        {"required-work baseline", baselineExe, "cube required", {}},
    };
    constexpr int kSubjects = 4;
    Subject& program = subjects[0];
    Subject& baseline = subjects[1];
    Subject& cube = subjects[2];
    Subject& required = subjects[3];

    // One untimed run of each first: the first start after a build pays for
    // cold file caches and for Mesa compiling and caching its shaders.
    Sample first[kSubjects];
    for (int i = 0; i < kSubjects; ++i)
        if (!measure(subjects[i], steps, true, &first[i])) return 1;

    for (int run = 0; run < runs; ++run) {
        // Rotate which one goes first, so that a warming or cooling machine
        // favours none.
        Sample samples[kSubjects];
        for (int k = 0; k < kSubjects; ++k) {
            const int i = (run + k) % kSubjects;
            if (!measure(subjects[i], steps, false, &samples[i])) return 1;
        }
        if (!measureReport(program.exe, "", &samples[0].reportMs) ||
            !measureReport(program.exe, " --pixel-formats", &samples[0].reportFormatsMs)) {
            return 1;
        }
        std::printf("run %d/%d:", run + 1, runs);
        for (int i = 0; i < kSubjects; ++i) {
            subjects[i].samples.push_back(samples[i]);
            std::printf("%s %s %.1f ms (swapped at %.1f), %.0f frames/s, %.1f MiB peak, %.1f MiB private", i == 0 ? "" : ";",
                        subjects[i].label, samples[i].startupMs, samples[i].phaseMs[kPhases - 1], samples[i].framesPerSecond,
                        samples[i].peakMiB, samples[i].privateMiB);
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\nThe program's own information text:\n");
    printIndented(first[0].info);
    std::printf("Frames read back from the X server: program %s, baseline %s, cube baseline %s, required-work baseline %s\n\n",
                first[0].frameSeen ? "yes" : "no", first[1].frameSeen ? "yes" : "no", first[2].frameSeen ? "yes" : "no",
                first[3].frameSeen ? "yes" : "no");

    std::printf("Medians of %d runs after one warm-up run; a ratio is the median of the runs' ratios. "
                "Drag: %d pointer moves.\n\n",
                runs, steps);
    // Start-up's target is against the baseline that does the required work
    // (the cube, the information text, the extension list, the icons and the
    // cursor); drag and memory are against the one that draws its cube: what
    // the rendering test must cost on this OpenGL. The ratio against the
    // cube-only baseline stands beside it, so that the required work's cost
    // shows. Private memory decides the memory target: the peak working set
    // also counts pages of shared files, which move with where the system
    // maps them, not with the program.
    std::printf("| Figure | Program | Baseline doing the required work | Ratio to required work | Baseline drawing the cube | "
                "Ratio to cube | Target | Met | Baseline (clear only) | Program / that |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---|---|---:|---:|\n");

    struct Figure {
        const char* name;
        double Sample::*field;
        const char* format;
        const char* target;  // null: shown only
        double limit;
        bool atMost;
        bool againstRequired;  // the target holds against the required-work baseline, else the cube's
    };
    const Figure figures[] = {
        {"Start-up to the first frame (ms)", &Sample::startupMs, "%.0f", "at most 1.05 x required work", 1.05, true, true},
        {"Drag frame rate (frames/s)", &Sample::framesPerSecond, "%.0f", "at least 0.95 x cube", 0.95, false, false},
        {"Private memory (MiB)", &Sample::privateMiB, "%.1f", "at most 1.05 x cube", 1.05, true, false},
        {"Peak working set (MiB)", &Sample::peakMiB, "%.1f", nullptr, 0, true, false},
    };
    for (const Figure& f : figures) {
        const double toRequired = medianRatio(program, required, f.field);
        const double toCube = medianRatio(program, cube, f.field);
        const double ratio = f.againstRequired ? toRequired : toCube;
        const char* met = f.target == nullptr ? "" : (f.atMost ? ratio <= f.limit : ratio >= f.limit) ? "yes" : "NO";
        std::printf("| %s | %s | %s | %.3f | %s | %.3f | %s | %s | %s | %.2f |\n", f.name, number(f.format, medianOf(program, f.field)).c_str(),
                    number(f.format, medianOf(required, f.field)).c_str(), toRequired,
                    number(f.format, medianOf(cube, f.field)).c_str(), toCube, f.target != nullptr ? f.target : "shown", met,
                    number(f.format, medianOf(baseline, f.field)).c_str(), medianRatio(program, baseline, f.field));
    }
    const double programKiB = fileKiB(program.exe);
    const double baselineKiB = fileKiB(baseline.exe);
    std::printf("| Executable size (KiB) | %.0f | %.0f | | | | program under 320 | %s | | |\n", programKiB, baselineKiB,
                programKiB >= 0 && programKiB < 320 ? "yes" : "NO");

    std::printf("\n| The program, from process start (ms, medians) | Time |\n|---|---:|\n");
    std::printf("| `--report FILE`: file written and exited | %.0f |\n", medianOf(program, &Sample::reportMs));
    std::printf("| The dialog: first frame drawn | %.0f |\n", medianOf(program, &Sample::startupMs));
    std::printf("| `--report FILE --pixel-formats` | %.0f |\n", medianOf(program, &Sample::reportFormatsMs));
    const auto reportRatio = [&](double Sample::*figure) {
        std::vector<double> ratios;
        for (const Sample& s : program.samples) ratios.push_back(s.*figure / s.startupMs);
        return median(ratios);
    };
    std::printf("| `--report FILE` / first frame (median of the runs' ratios; target at most 1.2) | %.2f |\n",
                reportRatio(&Sample::reportMs));
    std::printf("| `--report FILE --pixel-formats` / first frame (target at most 1.2) | %.2f |\n",
                reportRatio(&Sample::reportFormatsMs));

    // Where start-up goes: each phase as the subjects note it, from the
    // moment the benchmark starts the process; a regression shows in the
    // phase it lands in.
    std::printf("\n| Phase reached, from process start (ms, medians) | Program | Baseline doing the required work | Difference | "
                "Baseline drawing the cube | Difference |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (int k = 0; k < kPhases; ++k) {
        std::vector<double> p, r, dr, c, dc;
        for (size_t i = 0; i < program.samples.size(); ++i) {
            p.push_back(program.samples[i].phaseMs[k]);
            r.push_back(required.samples[i].phaseMs[k]);
            dr.push_back(program.samples[i].phaseMs[k] - required.samples[i].phaseMs[k]);
            c.push_back(cube.samples[i].phaseMs[k]);
            dc.push_back(program.samples[i].phaseMs[k] - cube.samples[i].phaseMs[k]);
        }
        std::printf("| %s | %.1f | %.1f | %+.1f | %.1f | %+.1f |\n", kPhaseNames[k], median(p), median(r), median(dr), median(c),
                    median(dc));
    }
    return 0;
}
