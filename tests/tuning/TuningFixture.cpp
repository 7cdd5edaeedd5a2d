// SPDX-License-Identifier: GPL-3.0-or-later
#include "TuningFixture.h"

#include <QComboBox>

std::string TuningTest::Gpus(const std::vector<std::string>& gpus) {
    std::string json = R"({"gpus":[)";
    for (std::size_t i = 0; i < gpus.size(); ++i) json += (i == 0 ? "" : ",") + gpus[i];
    return json + "]}";
}

CTachyonDlg& TuningTest::StartWith(const std::string& scenarioJson) {
    // A mistyped key would silently leave the default in place and make a test pass for nothing.
    const std::string reply = Sim().Control("scenario", scenarioJson);
    EXPECT_EQ(reply, "ok") << scenarioJson;
    return Start(scenarioJson);
}

void TuningTest::ChooseGpu(int position) {
    auto* selector = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    selector->setCurrentIndex(position);
    emit selector->activated(position);
}

std::string TuningTest::DriverValue(const std::string& key) { return Sim().Control("get", key); }

std::vector<std::string> TuningTest::MethodsOn(const std::string& prefix) {
    std::vector<std::string> names;
    for (const std::string& call : CallsOn(prefix)) names.push_back(call.substr(0, call.find(' ')));
    return names;
}
