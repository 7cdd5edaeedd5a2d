// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimRuntime.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sstream>

#include "adlx/ADLX.h"
#include "adlx/SimControl.h"
#include "device/ADLXHelper.h"

SimRuntime& SimRuntime::Instance() {
    static SimRuntime runtime;
    return runtime;
}

SimRuntime::SimRuntime() {
    const std::string path = ADLXHelper::ExecutableFolder() + "/" ADLX_RUNTIME_LIBRARY;
    m_module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_module == nullptr) {
        ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
        return;
    }
    m_control = reinterpret_cast<ControlFn>(dlsym(m_module, TACHYON_SIM_CONTROL_SYMBOL));
    if (m_control == nullptr) ADD_FAILURE() << "the runtime has no control entry point";
}

std::string SimRuntime::Control(const std::string& command, const std::string& argument) {
    if (m_control == nullptr) return "error: no runtime";
    const char* reply = m_control(command.c_str(), argument.c_str());
    const std::string text = reply != nullptr ? reply : "";
    EXPECT_NE(text.rfind("error:", 0), 0u) << command << " " << argument << ": " << text;
    return text;
}

void SimRuntime::LoadScenario(const std::string& json) { Control("scenario", json); }
void SimRuntime::Fault(const std::string& name) { Control("fault", name); }
void SimRuntime::ClearFaults() { Control("faults.clear"); }
void SimRuntime::Set(const std::string& assignment) { Control("set", assignment); }
void SimRuntime::ClearTrace() { Control("trace.clear"); }

std::vector<std::string> SimRuntime::Trace() {
    std::vector<std::string> lines;
    std::istringstream stream(Control("trace"));
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

SimAudit SimRuntime::Audit() {
    SimAudit audit;
    audit.text = Control("audit");
    std::istringstream stream(audit.text);
    for (std::string field; stream >> field;) {
        const std::size_t eq = field.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = field.substr(0, eq);
        const int value = std::stoi(field.substr(eq + 1));
        if (key == "live") audit.live = value;
        if (key == "double") audit.doubleReleases = value;
        if (key == "dead_calls") audit.deadCalls = value;
    }
    return audit;
}

std::vector<std::string> DriverCalls(const std::vector<std::string>& trace) {
    std::vector<std::string> calls;
    for (const std::string& line : trace) {
        const std::size_t space = line.find(' ');
        const std::string head = line.substr(0, space);
        if (head.ends_with(".Acquire") || head.ends_with(".Release") || head.ends_with(".QueryInterface")) continue;
        calls.push_back(line);
    }
    return calls;
}

std::vector<std::string> CallsOf(const std::vector<std::string>& trace, const std::vector<std::string>& prefixes) {
    std::vector<std::string> calls;
    for (const std::string& line : trace) {
        for (const std::string& prefix : prefixes) {
            if (line.rfind(prefix, 0) == 0) {
                calls.push_back(line);
                break;
            }
        }
    }
    return calls;
}
