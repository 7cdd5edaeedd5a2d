// SPDX-License-Identifier: GPL-3.0-or-later
// The control entry point for tests and tools: replaces the machine, injects faults, reads the
// trace and the reference audit, and reads or changes driver values directly.

#include <string>
#include <vector>

#include "Export.h"
#include "Runtime.h"
#include "adlx/SimControl.h"

namespace sim {
namespace {

std::string replaceScenario(const char* argument) {
    Runtime& rt = runtime();
    if (argument == nullptr || *argument == '\0') {
        rt.replaceMachine(defaultScenario());
        return "ok";
    }
    Scenario parsed;
    std::string reason;
    std::vector<std::string> ignored;
    if (!parseScenario(argument, parsed, reason, ignored)) return "error: " + reason;
    rt.replaceMachine(std::move(parsed));
    std::string reply = "ok";
    for (size_t i = 0; i < ignored.size(); ++i) reply += (i == 0 ? "; ignored unknown keys: " : ", ") + ignored[i];
    return reply;
}

std::string machineValue(const std::string& argument, bool write) {
    Runtime& rt = runtime();
    rt.ensureMachine();
    std::string reason;
    if (!write) {
        std::string value;
        reason = getValue(rt.machine, argument, value);
        return reason.empty() ? value : "error: " + reason;
    }
    const auto eq = argument.find('=');
    if (eq == std::string::npos) return "error: set expects key=value";
    reason = setValue(rt.machine, argument.substr(0, eq), argument.substr(eq + 1));
    return reason.empty() ? "ok" : "error: " + reason;
}

std::string control(const std::string& command, const char* argument) {
    Runtime& rt = runtime();
    const std::string arg = argument != nullptr ? argument : "";
    if (command == "scenario") return replaceScenario(argument);
    if (command == "fault") return rt.faults.add(arg) ? "ok" : "error: not a fault name: " + arg;
    if (command == "faults") return rt.faults.list();
    if (command == "faults.clear") {
        rt.faults.clear();
        return "ok";
    }
    if (command == "trace") {
        if (arg.empty() || arg == "all") return rt.trace.text(true);
        if (arg == "calls") return rt.trace.text(false);
        return "error: trace takes all or calls";
    }
    if (command == "trace.clear") {
        rt.trace.clear();
        return "ok";
    }
    if (command == "audit") return rt.auditText();
    if (command == "audit.reset") {
        rt.audit = {};
        return "ok";
    }
    if (command == "set") return machineValue(arg, true);
    if (command == "get") return machineValue(arg, false);
    if (command == "version") return "tachyon-sim 1.0 adlx 1.2.0.72";
    return "error: unknown command " + command;
}

}  // namespace
}  // namespace sim

TACHYON_SIM_EXPORT const char* TachyonSimControl(const char* command, const char* argument) {
    using namespace sim;
    static std::string reply;
    std::lock_guard lock(runtime().mutex);
    try {
        reply = command == nullptr ? "error: no command" : control(command, argument);
    } catch (const std::exception& e) {
        // Nothing may escape through a C entry point.
        reply = std::string("error: ") + e.what();
    }
    return reply.c_str();
}
