// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's command sequences against the simulated runtime, on its first GPU and first
// display: the ones that support every feature, so every operation runs its whole path.

#include <benchmark/benchmark.h>

#include <QComboBox>

#include "BenchSession.h"
#include "ui/CTachyonDlg.h"
#include "ui/PageNotify.h"

namespace {

void ReadAll(benchmark::State& state) {
    BenchSession& session = BenchSession::Current();
    session.FreshWindow();
    for (auto _ : state) session.Window().ReadAll();
}

// "+": the 28 applies, then the 28 reads. The controls hold what the driver reported, so the
// Smart Access Memory state does not change and its countdown does not run; were it to, the
// prompt seam's sleep returns at once.
void ApplyAllAndReadBack(benchmark::State& state) {
    BenchSession& session = BenchSession::Current();
    session.FreshWindow();
    const int sleepsBefore = session.Answers().sleeps;
    for (auto _ : state) session.Window().OnApplyAllClicked();
    if (session.Answers().sleeps != sleepsBefore)
        state.SkipWithError("the Smart Access Memory countdown ran");
}

// The selector's change: services fetched again, every feature probed, then the 28 reads.
void GpuChange(benchmark::State& state) {
    BenchSession& session = BenchSession::Current();
    session.FreshWindow();
    auto* selector = qobject_cast<QComboBox*>(session.Window().MainControl(1000));
    selector->setCurrentIndex(0);
    for (auto _ : state) session.Window().OnGpuSelChange();
}

// Code 0 of the page notification: the display probed again, then the Display page's 7 reads.
void DisplayChange(benchmark::State& state) {
    BenchSession& session = BenchSession::Current();
    session.FreshWindow();
    for (auto _ : state) session.Window().OnPageNotify(kNotifyDisplayChosen, 0);
}

}  // namespace

BENCHMARK(ReadAll)->Name("ReadAll")->Unit(benchmark::kMicrosecond);
BENCHMARK(ApplyAllAndReadBack)->Name("ApplyAll+ReadAll")->Unit(benchmark::kMicrosecond);
BENCHMARK(GpuChange)->Name("GpuChange")->Unit(benchmark::kMicrosecond);
BENCHMARK(DisplayChange)->Name("DisplayChange")->Unit(benchmark::kMicrosecond);
