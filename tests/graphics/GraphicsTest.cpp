// SPDX-License-Identifier: GPL-3.0-or-later
#include "GraphicsTest.h"

const char* const kAllOnScenario = R"({
  "gpus": [{
    "antiLag": {"enabled": true, "level": 1},
    "boost": {"enabled": true}, "chill": {"enabled": true}, "imageSharpening": {"enabled": true},
    "enhancedSync": {"enabled": true}, "frtc": {"enabled": true}, "mlaa": {"enabled": true},
    "anisotropic": {"enabled": true},
    "antiAliasing": {"mode": 2}, "tessellation": {"mode": 2}
  }],
  "superResolution": {"enabled": true}
})";

void GraphicsTest::SetDriver(const std::string& key, const std::string& value) {
    ASSERT_EQ(Sim().Control("set", key + "=" + value), "ok") << key;
}

std::string GraphicsTest::DriverValue(const std::string& key) { return Sim().Control("get", key); }

void GraphicsTest::PressSet() {
    ShowPage(kGraphicsPage);
    Press(1002);
}

std::vector<std::string> GraphicsTest::Sent(const std::vector<std::string>& prefixes) {
    std::vector<std::string> sent;
    for (const std::string& line : Calls(prefixes)) sent.push_back(line.substr(0, line.find(" -> ")));
    return sent;
}
