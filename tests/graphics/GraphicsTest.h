// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Graphics page seen from the user's side: driver values set directly in the simulated
// runtime, Set pressed with the page shown, and the calls the driver received.

#include <string>
#include <vector>

#include "TachyonTest.h"

class GraphicsTest : public TachyonTest {
protected:
    // Changes a driver value directly ("gpu0.boost.enabled", "true").
    void SetDriver(const std::string& key, const std::string& value);
    std::string DriverValue(const std::string& key);
    // Shows the Graphics page and presses Set.
    void PressSet();
    // The calls starting with one of the prefixes, without their results ("IADLX3DBoost.SetEnabled true").
    std::vector<std::string> Sent(const std::vector<std::string>& prefixes);
};

// Every 3D feature on and both modes at the override, on one GPU.
extern const char* const kAllOnScenario;
