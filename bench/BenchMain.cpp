// SPDX-License-Identifier: GPL-3.0-or-later
// `make bench`: every benchmark repeated, Google Benchmark's own report of each, and at the end
// one table of the medians against their targets.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BenchSession.h"

namespace {

// The median runs, by benchmark name, as Google Benchmark hands them to its reporter.
class MedianCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred) {
                const std::string& args = run.run_name.args;
                medians[run.run_name.function_name + (args.empty() ? "" : "/" + args)] = run;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, Run> medians;
};

// The machine may be shared: in-process figures are the process's own CPU time, which another
// process taking the core does not stretch. The start is wall-clock time (manual time) by nature.
double Seconds(const benchmark::BenchmarkReporter::Run& run) {
    return run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

double WallSeconds(const benchmark::BenchmarkReporter::Run& run) {
    return run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Duration(double seconds) {
    if (seconds < 1e-3) return Format("%.1f µs", seconds * 1e6);
    return Format("%.2f ms", seconds * 1e3);
}

std::string Limit(double seconds) {
    if (seconds < 1e-3) return Format("≤ %g µs", seconds * 1e6);
    return Format("≤ %g ms", seconds * 1e3);
}

struct Row {
    std::string figure;
    std::string median;
    std::string target;
    std::string ratio;
    std::string verdict;
};

std::string Verdict(bool met) { return met ? "met" : "MISSED"; }

std::vector<Row> TableRows(const MedianCollector& collector) {
    std::vector<Row> rows;
    const auto& m = collector.medians;
    auto timed = [&](const std::string& name, const std::string& figure, double targetSeconds) {
        const auto it = m.find(name);
        if (it == m.end()) {
            rows.push_back({figure, "failed", targetSeconds > 0 ? Limit(targetSeconds) : "", "", ""});
            return;
        }
        const double s = Seconds(it->second);
        rows.push_back({figure, Duration(s), targetSeconds > 0 ? Limit(targetSeconds) : "",
                        targetSeconds > 0 ? Format("%.2f × target", s / targetSeconds) : "",
                        targetSeconds > 0 ? Verdict(s <= targetSeconds) : ""});
    };
    timed("ReadAll", "ReadAll (28 reads)", 100e-6);
    timed("ApplyAll+ReadAll", "\"+\": ApplyAll + ReadAll (no SAM wait)", 0);
    timed("GpuChange", "GPU change (probe + 28 reads)", 300e-6);
    timed("DisplayChange", "display change (code 0: probe + 7 reads)", 0);
    timed("Save", "Save to a temporary folder (fsync)", 0);
    timed("Load/normal", "Load, normal profile", 0);
    timed("Load/hostile/262144", "Load, hostile 256 KiB", 0);
    timed("Load/hostile/1048576", "Load, hostile 1 MiB", 5e-3);

    // The reader's cost per byte at each size, against its cost at the smallest.
    double base = 0;
    for (const long size : {262144L, 1048576L, 4194304L}) {
        const auto it = m.find("Reader/hostile/" + std::to_string(size));
        const std::string label =
            size >= 1048576 ? std::to_string(size >> 20) + " MiB" : std::to_string(size >> 10) + " KiB";
        if (it == m.end()) {
            rows.push_back({"reader alone, hostile " + label, "failed", "", "", ""});
            continue;
        }
        const double perByte = Seconds(it->second) / static_cast<double>(size) * 1e9;
        if (base == 0) base = perByte;
        rows.push_back({"reader alone, hostile " + label,
                        Duration(Seconds(it->second)) + Format(", %.2f ns/byte", perByte), "linear",
                        Format("%.2f × 256 KiB per byte", perByte / base), ""});
    }

    const auto start = m.find("Start");
    if (start == m.end()) {
        rows.push_back({"start to first shown window", "failed", "≤ 1.3 × bare", "", ""});
        rows.push_back({"peak resident memory", "failed", "≤ 1.3 × bare", "", ""});
    } else {
        const auto& c = start->second.counters;
        auto counter = [&c](const char* name) { return c.at(name).value; };
        rows.push_back(
            {"start to first shown window",
             Duration(WallSeconds(start->second)) + Format(" (bare dialog %.2f ms)", counter("bare_ms")),
             "≤ 1.3 × bare", Format("%.2f × bare", counter("start_ratio")),
             Verdict(counter("start_ratio") <= 1.3)});
        rows.push_back({"  for reference: against a dialog with one label",
                        Format("(labelled dialog %.2f ms)", counter("label_ms")), "",
                        Format("%.2f × labelled", counter("start_ratio_label")), ""});
        rows.push_back({"peak resident memory",
                        Format("%.1f MiB", counter("peak_MiB")) +
                            Format(" (bare dialog %.1f MiB)", counter("bare_peak_MiB")),
                        "≤ 1.3 × bare", Format("%.2f × bare", counter("peak_ratio")),
                        Verdict(counter("peak_ratio") <= 1.3)});
        rows.push_back({"  for reference: against a dialog with one label",
                        Format("(labelled dialog %.1f MiB)", counter("label_peak_MiB")), "",
                        Format("%.2f × labelled", counter("peak_ratio_label")), ""});
    }
    return rows;
}

// Display width of UTF-8 text: continuation bytes take no column.
std::size_t Columns(const std::string& text) {
    std::size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

void PrintTable(const std::vector<Row>& rows) {
    const std::vector<std::string> head = {"figure", "median", "target", "ratio", ""};
    std::vector<std::size_t> width(head.size());
    auto cells = [](const Row& r) {
        return std::vector<std::string>{r.figure, r.median, r.target, r.ratio, r.verdict};
    };
    for (std::size_t i = 0; i < head.size(); ++i) width[i] = Columns(head[i]);
    for (const Row& r : rows) {
        const auto c = cells(r);
        for (std::size_t i = 0; i < c.size(); ++i) width[i] = std::max(width[i], Columns(c[i]));
    }
    auto line = [&](const std::vector<std::string>& c) {
        std::string out = "|";
        for (std::size_t i = 0; i < c.size(); ++i)
            out += " " + c[i] + std::string(width[i] - Columns(c[i]), ' ') + " |";
        std::printf("%s\n", out.c_str());
    };
    std::printf("\n");
    line(head);
    std::string rule = "|";
    for (const std::size_t w : width) rule += std::string(w + 2, '-') + "|";
    std::printf("%s\n", rule.c_str());
    for (const Row& r : rows) line(cells(r));
}

}  // namespace

int main(int argc, char** argv) {
    // The runtime's file trace and injected faults stay off, and the machine is the built-in one.
    unsetenv("TACHYON_SIM_TRACE");
    unsetenv("TACHYON_SIM_FAULTS");
    unsetenv("TACHYON_SIM_SCENARIO");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    // Defaults that flags given on the command line, coming later, override.
    std::vector<char*> args = {argv[0]};
    std::string repetitions = "--benchmark_repetitions=9";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    std::string minTime = "--benchmark_min_time=0.1";
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
    args.push_back(minTime.data());
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

    MedianCollector collector;
    {
        BenchSession session;
        benchmark::RunSpecifiedBenchmarks(&collector);
    }
    PrintTable(TableRows(collector));
    benchmark::Shutdown();
    return 0;
}
