// SPDX-License-Identifier: GPL-3.0-or-later
// Every runtime call the program makes, broken one at a time, under every command path: the
// program must neither crash nor call through a missing, released or stale interface, nor hand
// the driver a null or foreign device, and it must release exactly what it received.
//
// The calls are not listed by hand: they are taken from the driver's trace of every path on the
// built-in machine, and from the traces of the broken runs themselves (a failure can open a road
// the clean run never takes), so the sweep follows the program as it grows.

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

#include "CrashReport.h"
#include "ReliabilityFixture.h"

namespace {

std::string BaseName(const std::string& fault) { return fault.substr(0, fault.find('#')); }

// The result of a trace line: the first word after the arrow.
std::string ResultOf(const std::string& line) {
    const std::size_t arrow = line.find(" -> ");
    if (arrow == std::string::npos) return {};
    std::istringstream words(line.substr(arrow + 4));
    std::string result;
    words >> result;
    return result;
}

// Whether the fault changed the answer of at least one call, so the run was not a clean one. A
// refused count answers 0, which for Begin is its answer anyway.
bool Bit(const std::string& fault, const std::vector<std::string>& trace) {
    const std::string name = BaseName(fault);
    if (name.ends_with(".Begin")) return true;
    const bool countsItems = name.ends_with(".Size") || name.ends_with(".End");
    for (const std::string& line : trace) {
        if (FaultNameOf(line) != name) continue;
        const std::string result = ResultOf(line);
        if (countsItems ? result == "0" : result != "0") return true;
    }
    return false;
}

struct Finding {
    std::string fault;
    std::string path;
    std::string detail;
};

class FaultSweep : public ReliabilityTest {
protected:
    // Adds the call names of a trace that the sweep has not met yet.
    void Discover(const std::vector<std::string>& trace) {
        for (const std::string& line : trace) {
            const std::string name = FaultNameOf(line);
            if (name.empty() || !m_known.insert(name).second) continue;
            // Also scoped to the first and to the second GPU or display (or list item): a
            // failure on one device only is what the user meets on a change of GPU or display.
            for (const char* scope : {"", "#0", "#1"}) m_queue.push_back(name + scope);
        }
    }

    // The trace of one path: what it must not contain, and whether the audit's counts of double
    // releases and dead calls moved.
    void Check(const std::string& fault, const std::string& path, const std::vector<std::string>& trace) {
        for (const std::string& line : ForbiddenCalls(trace)) m_findings.push_back({fault, path, line});
        const SimAudit audit = Sim().Audit();
        if (audit.doubleReleases != m_doubles || audit.deadCalls != m_deadCalls) {
            m_findings.push_back({fault, path, audit.text});
            m_doubles = audit.doubleReleases;
            m_deadCalls = audit.deadCalls;
        }
    }

    // Start-up, then every path on the same window, then the window destroyed. The fault is
    // there from the start, or arrives once the window is up: a driver that failed at start-up
    // has switched most features off, one that fails later meets the program with them on.
    std::vector<std::string> RunAll(const std::string& fault, bool fromStart = true) {
        std::vector<std::string> all;
        m_doubles = 0;
        m_deadCalls = 0;
        const std::string label = fault + (fromStart ? "" : " (after start-up)");
        Open(fault.empty() || !fromStart ? std::vector<std::string>{} : std::vector<std::string>{fault});
        auto take = [&](const std::string& path) {
            std::vector<std::string> trace = Sim().Trace();
            Check(label, path, trace);
            all.insert(all.end(), trace.begin(), trace.end());
            ClearTrace();
        };
        take("start-up");
        if (!fromStart) Sim().Fault(fault);
        // Once on each GPU: a state one path leaves behind (a GPU or display that could not be
        // had) is what the paths after it must cope with.
        for (const char* gpu : {"", " (second GPU)"}) {
            for (const CommandPath& path : CommandPaths()) {
                path.run(*this);
                take(path.name + std::string(gpu));
            }
        }
        Close();
        const SimAudit audit = Sim().Audit();
        if (audit.live != 0) m_findings.push_back({label, "window closed", audit.text});
        return all;
    }

    std::set<std::string> m_known;
    std::vector<std::string> m_queue;
    std::vector<Finding> m_findings;
    int m_doubles = 0;
    int m_deadCalls = 0;
};

}  // namespace

TEST_F(FaultSweep, NoFaultOnAnyPathCrashesLeaksOrCallsThroughWhatItMustNot) {
    CrashReport crashReport("fault");
    CrashReport::Running("none");
    Discover(RunAll({}));
    const std::set<std::string> cleanRunCalls = m_known;
    ASSERT_TRUE(m_findings.empty()) << "the clean run already fails: " << m_findings[0].path << ": "
                                    << m_findings[0].detail;
    // The discovery reached every kind of call the sweep is about.
    for (const char* expected : {"IADLXSystem.GetGPUs", "IADLXGPUList.At", "QueryInterface:IADLXGPU1",
                                 "QueryInterface:IADLXManualFanTuning", "IADLXManualFanTuning.SetFanTuningStates",
                                 "IADLX3DResetShaderCache.ResetShaderCache", "IADLXDisplayList.At",
                                 "IADLXGPU.PNPString", "IADLXGPUTuningServices.ResetToFactory",
                                 "IADLXSystem.GetGPUMetricsServices", "IADLXGPUMetricsServices.GetGPUMetrics",
                                 "IADLXGPUMetrics.IsAsleep", "IADLXGPUMetrics.GetVRAMTotal"}) {
        EXPECT_TRUE(m_known.count(expected)) << expected << " never appeared in the traces";
    }

    std::vector<std::string> toothless;
    std::size_t runs = 0;
    for (std::size_t i = 0; i < m_queue.size(); ++i) {
        const std::string fault = m_queue[i];  // the queue grows while it is worked through
        CrashReport::Running(fault);
        for (const bool fromStart : {true, false}) {
            const std::vector<std::string> trace = RunAll(fault, fromStart);
            ++runs;
            if (fromStart && cleanRunCalls.count(fault) != 0 && !Bit(fault, trace)) toothless.push_back(fault);
            Discover(trace);
        }
    }

    const std::size_t paths = 2 * CommandPaths().size() + 1;
    std::set<std::string> failedRuns;
    for (const Finding& f : m_findings) failedRuns.insert(f.fault + " | " + f.path);
    std::printf("[ figures  ] fault sweep: %zu faults x 2 arrivals x %zu path runs (%zu paths on each GPU, "
                "start-up) = %zu runs, %zu failures\n",
                m_queue.size(), paths, CommandPaths().size(), runs * paths, failedRuns.size());

    std::ostringstream report;
    std::map<std::string, int> shown;
    for (const Finding& f : m_findings) {
        if (++shown[f.fault + f.path] > 3) continue;
        report << "\n  " << f.fault << " | " << f.path << " | " << f.detail;
    }
    EXPECT_TRUE(m_findings.empty()) << m_findings.size() << " findings:" << report.str();

    // A fault that never changed an answer proves nothing. Index-scoped ones may miss (the call
    // may never be made for that index), and so may calls met only under another fault.
    EXPECT_EQ(toothless, std::vector<std::string>{}) << "injected but never bit";
}
