// The native cost of the rules that run at start-up: joining and splitting the
// extension text, and loading the driver table from a key. Prints one table of
// medians and the fitted growth of each.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "drivers/driver_table.h"
#include "info/info_rules.h"
#include "tests/native/memory_key.h"

namespace {

std::string extensionNames(std::int64_t count, std::int64_t first) {
    std::string text;
    char name[64];
    for (std::int64_t i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "GL_VENDOR_some_extension_%06lld", static_cast<long long>(first) + i);
        if (i > 0) text += ' ';
        text += name;
    }
    return text;
}

// N names, half in the OpenGL string and half in the WGL one, as the program
// receives them: one join, then one row per name.
void BM_ExtensionJoinSplit(benchmark::State& state) {
    const std::int64_t names = state.range(0);
    const std::string gl = extensionNames(names / 2, 0);
    const std::string wgl = extensionNames(names - names / 2, names / 2);
    std::int64_t rows = 0;
    for (auto _ : state) {
        char* text = joinExtensionText(gl.c_str(), wgl.c_str());
        splitExtensionRows(text, [&rows](const char* row) {
            benchmark::DoNotOptimize(row);
            ++rows;
        });
        std::free(text);
    }
    if (rows != names * static_cast<std::int64_t>(state.iterations())) state.SkipWithError("wrong number of rows");
    state.SetComplexityN(names);
}
BENCHMARK(BM_ExtensionJoinSplit)->Arg(1250)->Arg(2500)->Arg(5000)->Arg(10000)->Complexity(benchmark::oN);

void loadAndCheck(benchmark::State& state, MemoryKey& key) {
    DriverTable table;
    for (auto _ : state) {
        loadDriverTable(table, &key);
        benchmark::DoNotOptimize(table);
    }
    if (table.count != kDriverEntries) state.SkipWithError("the table did not fill");
}

// Three drivers (all the table holds) whose values are N bytes long. The time
// is mostly fixed cost; no growth is fitted, the per-N column shows it.
void BM_DriverTableLoad(benchmark::State& state) {
    const auto bytes = static_cast<size_t>(state.range(0));
    MemoryKey key;
    for (int i = 0; i < 3; ++i)
        key.values.push_back(textValue("Driver" + std::to_string(i), std::string(bytes - 1, 'x')));
    loadAndCheck(state, key);
}
BENCHMARK(BM_DriverTableLoad)->Arg(128)->Arg(256)->Arg(512)->Arg(1023);

// A key holding N short values: only the first three are read.
void BM_DriverTableLoadManyValues(benchmark::State& state) {
    MemoryKey key;
    for (std::int64_t i = 0; i < state.range(0); ++i)
        key.values.push_back(textValue("Driver" + std::to_string(i), "driver.dll"));
    loadAndCheck(state, key);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DriverTableLoadManyValues)->Arg(3)->Arg(100)->Arg(10000)->Complexity(benchmark::o1);

const char* describe(const std::string& function) {
    if (function == "BM_ExtensionJoinSplit") return "Extension join + split, N names";
    if (function == "BM_DriverTableLoad") return "Driver table load, 3 values of N bytes";
    if (function == "BM_DriverTableLoadManyValues") return "Driver table load, key of N values";
    return function.c_str();
}

const char* complexityText(benchmark::BigO complexity) {
    switch (complexity) {
    case benchmark::o1: return "constant";
    case benchmark::oN: return "linear";
    default: return "other";
    }
}

std::string timeText(double ns) {
    char text[32];
    if (ns < 1000) {
        std::snprintf(text, sizeof text, "%.1f ns", ns);
    } else if (ns < 1e6) {
        std::snprintf(text, sizeof text, "%.1f us", ns / 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
    }
    return text;
}

class TableReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override {
        std::printf("| Rule (native, median of the repetitions) | N | Time | Per N |\n");
        std::printf("|---|---:|---:|---:|\n");
        return true;
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string function = run.run_name.function_name;
            const double ns = run.GetAdjustedRealTime() * multiplier(run.time_unit);
            if (run.error_occurred) {
                std::printf("| %s | %s | failed: %s | |\n", describe(function), run.run_name.args.c_str(),
                            run.error_message.c_str());
                failed_ = true;
            } else if (run.report_big_o) {
                // The fitted growth and its coefficient; the rms error says how well it fits.
                fit_ = std::string("| ") + describe(function) + " | growth | " + complexityText(run.complexity) +
                       ", " + timeText(ns) + (run.complexity == benchmark::o1 ? "" : " x N");
            } else if (run.report_rms) {
                char error[64];
                std::snprintf(error, sizeof error, " | rms error %.0f%% |", run.GetAdjustedRealTime() * 100);
                fits_.push_back(fit_ + error);
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                const double n = std::atof(run.run_name.args.c_str());
                std::printf("| %s | %s | %s | %s |\n", describe(function), run.run_name.args.c_str(),
                            timeText(ns).c_str(), n > 0 ? timeText(ns / n).c_str() : "");
            }
        }
    }

    void Finalize() override {
        for (const std::string& line : fits_) std::printf("%s\n", line.c_str());
    }

    bool failed() const { return failed_; }

private:
    static double multiplier(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1.0;
        }
    }

    std::string fit_;
    std::vector<std::string> fits_;
    bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    // Five short repetitions and their medians unless the command line says otherwise.
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    char minTime[] = "--benchmark_min_time=0.2";
    args.insert(args.begin() + 1, {repetitions, aggregatesOnly, minTime});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.failed() ? 1 : 0;
}
