// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Display page tests share: scenarios written compactly, a way to run the GPU selection
// again once a fault is in place, and the driver trace cut down to what a display operation does.

#include <QComboBox>
#include <string>
#include <vector>

#include "TachyonTest.h"

class DisplayTest : public TachyonTest {
protected:
    // A scenario with these displays (JSON objects, fields left out take the simulator's defaults).
    static std::string Displays(const std::vector<std::string>& displays) {
        std::string json = R"({"displays":[)";
        for (std::size_t i = 0; i < displays.size(); ++i) json += (i == 0 ? "" : ",") + displays[i];
        return json + "]}";
    }

    // Selects the first GPU again, as the user does in the selector: probe, list, probe, read.
    void SelectGpuAgain() {
        auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
        selector->setCurrentIndex(0);
        emit selector->activated(0);
    }

    // The calls with their arguments, without what the driver answered.
    static std::vector<std::string> Heads(const std::vector<std::string>& calls) {
        std::vector<std::string> heads;
        for (const std::string& call : calls) heads.push_back(call.substr(0, call.find(" -> ")));
        return heads;
    }

    std::vector<std::string> CallHeads(const std::vector<std::string>& prefixes) { return Heads(Calls(prefixes)); }

    // The per-display getters of the display services, in the order they were asked.
    std::vector<std::string> FeatureFetches() {
        std::vector<std::string> fetches;
        for (const std::string& head : CallHeads({"IADLXDisplayServices.Get"})) {
            if (head.starts_with("IADLXDisplayServices.GetDisplays")) continue;
            fetches.push_back(head);
        }
        return fetches;
    }

    // Every call made to a display, its list or one of its features.
    std::vector<std::string> DisplayCalls() { return Calls({"IADLXDisplay"}); }

    std::string Get(const std::string& key) { return Sim().Control("get", key); }

    static constexpr int kSwitches[] = {1080, 1081, 1082, 1084};
    static constexpr int kFeatureControls[] = {1080, 1081, 1082, 1083, 1084, 1085, 1086};
};
