// SPDX-License-Identifier: GPL-3.0-or-later
// The program's whole start, from the moment it is spawned to its window's first frame, and its
// peak resident memory, each against a bare Qt dialog program started the same way in the same
// run (and, for reference, against the same dialog showing one line of text). All run offscreen
// with the first-frame hook preloaded (FirstFrameHook.cpp), which notes the frame and closes the
// window; the programs themselves are not changed. The rounds rotate
// which program goes first, so none always finds the caches warmed by the others.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "device/ADLXHelper.h"

extern char** environ;

namespace {

struct ChildRun {
    std::string error;
    double secondsToFirstFrame = 0;
    double peakMiB = 0;
    std::string window;
};

long long MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

// The benchmark's own environment (offscreen, no runtime trace or faults: main sees to that),
// with the hook preloaded, its report file, and a private runtime folder for the instance marker.
std::vector<std::string> ChildEnvironment(const std::string& report) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("LD_PRELOAD=", 0) == 0 || entry.rfind("TACHYON_BENCH_REPORT=", 0) == 0 ||
            entry.rfind("XDG_RUNTIME_DIR=", 0) == 0) {
            continue;
        }
        env.push_back(entry);
    }
    env.push_back("LD_PRELOAD=" + ADLXHelper::ExecutableFolder() + "/libtachyon_first_frame.so");
    env.push_back("TACHYON_BENCH_REPORT=" + report);
    env.push_back("XDG_RUNTIME_DIR=" + Folder().path().toStdString());
    return env;
}

ChildRun RunToFirstFrame(const std::string& program, const std::string& expectedWindow,
                         const std::string& argument = {}) {
    ChildRun run;
    const std::string report = Folder().filePath(QStringLiteral("report")).toStdString();
    std::remove(report.c_str());
    const std::vector<std::string> env = ChildEnvironment(report);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    std::string path = ADLXHelper::ExecutableFolder() + "/" + program;
    std::string arg = argument;
    char* argv[] = {path.data(), arg.empty() ? nullptr : arg.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const long long spawned = MonotonicNanoseconds();
    const int spawnError = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) {
        run.error = "cannot start " + path;
        return run;
    }

    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run.error = program + " did not close within a minute";
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!WIFEXITED(status)) {
        run.error = program + " did not end normally";
        return run;
    }

    QFile file(QString::fromStdString(report));
    if (!file.open(QIODevice::ReadOnly)) {
        run.error = program + " showed no window";
        return run;
    }
    long long shownAt = -1;
    long peakKiB = -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4 && fields[0] == "shown") {
            shownAt = fields[1].toLongLong();
            peakKiB = std::max(peakKiB, fields[2].toLong());
            run.window = fields[3].toStdString();
        } else if (fields.size() == 2 && fields[0] == "exit") {
            peakKiB = std::max(peakKiB, fields[1].toLong());
        }
    }
    if (shownAt < 0 || peakKiB < 0) {
        run.error = program + " showed no window";
        return run;
    }
    if (run.window != expectedWindow) {
        run.error = program + " first showed " + run.window + ", not " + expectedWindow;
        return run;
    }
    run.secondsToFirstFrame = static_cast<double>(shownAt - spawned) * 1e-9;
    run.peakMiB = static_cast<double>(peakKiB) / 1024.0;
    return run;
}

ChildRun RunBare() { return RunToFirstFrame("tachyon_bare_dialog", "BareDialog"); }
ChildRun RunLabelled() { return RunToFirstFrame("tachyon_bare_dialog", "BareDialog", "--label"); }
ChildRun RunTachyon() { return RunToFirstFrame("tachyon", "CTachyonDlg"); }

void StartToFirstWindow(benchmark::State& state) {
    static int rounds = 0;
    static bool warmedUp = false;
    if (!warmedUp) {
        // One unmeasured round, so the first measured one does not pay for cold files alone.
        RunBare();
        RunLabelled();
        RunTachyon();
        warmedUp = true;
    }
    for (auto _ : state) {
        ChildRun runs[3];
        ChildRun (*const starts[3])() = {RunBare, RunLabelled, RunTachyon};
        // Each round starts with another of the three programs.
        const int first = rounds++ % 3;
        for (int k = 0; k < 3; ++k) runs[(first + k) % 3] = starts[(first + k) % 3]();
        const ChildRun& bare = runs[0];
        const ChildRun& labelled = runs[1];
        const ChildRun& tachyon = runs[2];
        for (const ChildRun& run : runs) {
            if (!run.error.empty()) {
                state.SkipWithError(run.error.c_str());
                return;
            }
        }
        state.SetIterationTime(tachyon.secondsToFirstFrame);
        state.counters["bare_ms"] = bare.secondsToFirstFrame * 1e3;
        state.counters["label_ms"] = labelled.secondsToFirstFrame * 1e3;
        state.counters["start_ratio"] = tachyon.secondsToFirstFrame / bare.secondsToFirstFrame;
        state.counters["start_ratio_label"] = tachyon.secondsToFirstFrame / labelled.secondsToFirstFrame;
        state.counters["peak_MiB"] = tachyon.peakMiB;
        state.counters["bare_peak_MiB"] = bare.peakMiB;
        state.counters["label_peak_MiB"] = labelled.peakMiB;
        state.counters["peak_ratio"] = tachyon.peakMiB / bare.peakMiB;
        state.counters["peak_ratio_label"] = tachyon.peakMiB / labelled.peakMiB;
    }
}

}  // namespace

// One round (the three programs once each) per repetition: the medians are those of the rounds,
// and each ratio is taken within a round before its median.
BENCHMARK(StartToFirstWindow)
    ->Name("Start")
    ->Iterations(1)
    ->Repetitions(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
