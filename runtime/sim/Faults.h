// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Injected faults, named after the calls they break (see docs/simulated-runtime.md):
//   "IADLXManualGraphicsTuning2.SetGPUMaxFrequency"  the method fails with ADLX_FAIL
//   "IADLXGPUList.At#1"                              only when the call's subject index is 1
//   "QueryInterface:IADLXGPU1"                       that interface name is refused everywhere
//   "QueryInterface:IADLXGPU1#0"                     ... only by objects of GPU/display 0
//   "FailAfterWrite:IADLXChill.IsSupported"          the method does its work and writes its
//                                                    out-values, then returns ADLX_FAIL

#include <set>
#include <string>

namespace sim {

class Faults {
public:
    // Returns false for a name that cannot be a fault (empty, or a malformed index).
    bool add(const std::string& name);
    // A comma-separated list, as TACHYON_SIM_FAULTS holds it. Returns the names it refused.
    std::string addList(const std::string& list);
    void clear() { m_names.clear(); }

    bool callFails(const std::string& call, int subject) const;
    bool queryRefused(const std::string& interfaceName, int subject) const;
    bool failsAfterWrite(const std::string& call, int subject) const;
    std::string list() const;

private:
    bool matches(const std::string& base, int subject) const;
    std::set<std::string> m_names;
};

}  // namespace sim
