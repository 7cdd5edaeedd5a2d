// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated runtime's control entry point, reached through the loaded module.

#include <string>
#include <vector>

struct SimAudit {
    int live = -1;
    int doubleReleases = -1;
    int deadCalls = -1;
    std::string text;
};

class SimRuntime {
public:
    // The runtime beside the test binary, loaded once.
    static SimRuntime& Instance();

    std::string Control(const std::string& command, const std::string& argument = {});
    // Replaces the machine: the built-in default for an empty text, else the JSON given.
    void LoadScenario(const std::string& json = {});
    void Fault(const std::string& name);
    void ClearFaults();
    void Set(const std::string& assignment);
    std::vector<std::string> Trace();
    void ClearTrace();
    SimAudit Audit();

private:
    SimRuntime();
    void* m_module = nullptr;
    using ControlFn = const char* (*)(const char*, const char*);
    ControlFn m_control = nullptr;
};

// Trace lines without reference counting and interface queries: the calls a feature makes.
std::vector<std::string> DriverCalls(const std::vector<std::string>& trace);
// Only the lines that start with one of the prefixes.
std::vector<std::string> CallsOf(const std::vector<std::string>& trace, const std::vector<std::string>& prefixes);
