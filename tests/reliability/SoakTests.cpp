// SPDX-License-Identifier: GPL-3.0-or-later
// Thousands of the user's everyday commands on one window: afterwards the program holds as many
// interfaces as before, the lists show as many entries, and the process is no bigger.

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>

#include "ReliabilityFixture.h"
#include "ui/DialogPage.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// TACHYON_SOAK_CYCLES asks for a longer soak; a sanitized build (several times slower) runs fewer.
int Cycles() {
    if (const char* text = std::getenv("TACHYON_SOAK_CYCLES")) return std::max(1, std::atoi(text));
    return kSanitized ? 1000 : 3000;
}

// Every entry of every list on the four pages: a fill that appends instead of replacing grows it.
int ListEntries(CTachyonDlg& dlg) {
    int entries = 0;
    for (int page = kTuningPage; page <= kDisplayPage; ++page) {
        for (const QComboBox* list : dlg.Page(page)->findChildren<QComboBox*>()) entries += list->count();
    }
    return entries;
}

}  // namespace

// The memory the program itself holds once its window is gone. The runtime keeps every released
// object as a zombie to catch late calls, until a new machine is loaded; so the machine is
// reloaded first, and what the allocator kept but does not use is handed back before measuring.
struct Memory {
    long heapInUse;
    long resident;
};

Memory ProgramMemory(ReliabilityTest& t, SimRuntime& sim) {
    t.Close();
    sim.LoadScenario();
    malloc_trim(0);
    return {static_cast<long>(mallinfo2().uordblks), ResidentBytes()};
}

TEST_F(ReliabilityTest, SoakOfSetPlusResetAndGpuChangeGrowsNothing) {
    int gpu = 0;
    auto cycle = [&](int i) {
        CTachyonDlg& dlg = Window();
        ShowTab(i % 4);
        // A changing value, so the driver is asked to change something each time round.
        dlg.Edit(kTuningPage, 1008)->setText(QString::number(2000 + i % 500));
        PressButton(1002);
        PressButton(1006);
        PressButton(1003);
        gpu = 1 - gpu;
        ChooseIn(dlg.MainControl(1000), gpu);
        ClearTrace();  // the runtime's record of the calls is not the program's memory
    };
    constexpr int kWarmUp = 200;

    // A first window lets the toolkit and the allocator settle.
    Open();
    for (int i = 0; i < kWarmUp; ++i) cycle(i);
    const Memory before = ProgramMemory(*this, Sim());

    CTachyonDlg& dlg = Open();
    ASSERT_EQ(qobject_cast<QComboBox*>(dlg.MainControl(1000))->count(), 2);
    for (int i = 0; i < kWarmUp; ++i) cycle(i);
    const SimAudit auditBefore = Sim().Audit();
    const int entriesBefore = ListEntries(dlg);
    const qsizetype objectsBefore = dlg.findChildren<QObject*>().size();

    const int cycles = Cycles();
    for (int i = 0; i < cycles; ++i) cycle(i);

    const SimAudit auditAfter = Sim().Audit();
    EXPECT_EQ(auditAfter.live, auditBefore.live) << "interfaces held grew: " << auditBefore.text << " -> "
                                                 << auditAfter.text;
    EXPECT_EQ(auditAfter.doubleReleases, 0) << auditAfter.text;
    EXPECT_EQ(auditAfter.deadCalls, 0) << auditAfter.text;
    EXPECT_EQ(ListEntries(dlg), entriesBefore);
    EXPECT_EQ(dlg.findChildren<QObject*>().size(), objectsBefore);
    Close();
    EXPECT_EQ(Sim().Audit().live, 0) << Sim().Audit().text;

    const Memory after = ProgramMemory(*this, Sim());
    std::printf("[ figures  ] soak: %d cycles of Set, \"+\", Reset and GPU change (%d commands); %s; %s\n", cycles,
                4 * cycles,
                kSanitized ? "memory left to the sanitizer"
                           : QString::asprintf("heap in use %ld -> %ld KiB, resident %ld -> %ld KiB",
                                               before.heapInUse / 1024, after.heapInUse / 1024,
                                               before.resident / 1024, after.resident / 1024)
                                 .toUtf8()
                                 .constData(),
                auditAfter.text.c_str());
    // A leak of a few hundred bytes per command would show as megabytes here. The sanitizer keeps
    // freed memory in quarantine (and finds leaks itself at exit), so it is spared the figures.
    if (!kSanitized) {
        EXPECT_LT(after.heapInUse - before.heapInUse, 1024L * 1024);
        EXPECT_LT(after.resident - before.resident, 2L * 1024 * 1024);
    }
}
