// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window on a scenario, with the few extra handles the tuning tests need: choosing a GPU as
// the user does, the driver's own values, and the calls made on one interface.

#include <string>
#include <vector>

#include "TachyonTest.h"

class TuningTest : public TachyonTest {
protected:
    // A machine of the GPUs given, each a JSON object of what differs from the default card.
    static std::string Gpus(const std::vector<std::string>& gpus);
    CTachyonDlg& StartWith(const std::string& scenarioJson = {});

    // Picks a GPU in the selector; the window probes and reads it.
    void ChooseGpu(int position);
    // A driver value as the runtime holds it, e.g. "gpu0.gfx.maxFrequency" gives "2500".
    std::string DriverValue(const std::string& key);
    // The calls since the last ClearTrace made on one interface ("IADLXManualPowerTuning.").
    std::vector<std::string> CallsOn(const std::string& prefix) { return Calls({prefix}); }
    // Only the names of those calls, without arguments and results.
    std::vector<std::string> MethodsOn(const std::string& prefix);
};
