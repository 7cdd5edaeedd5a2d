// SPDX-License-Identifier: GPL-3.0-or-later
#include "Runtime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sim {

Runtime& runtime() {
    static Runtime instance;
    return instance;
}

SimObject::SimObject(const char* name, int dev, Kind k)
    : CountedObject(runtime().generation), traceName(name), device(dev), kind(k) {}

SimObject* Runtime::find(const void* interfacePointer) const {
    // Every object in the table is one of this runtime's.
    return static_cast<SimObject*>(ObjectTable::find(interfacePointer));
}

void Runtime::replaceMachine(Scenario scenario) {
    startGeneration();
    machine = std::move(scenario);
    machineReady = true;
    faults.clear();
    trace.clear();
    audit = {};
}

void Runtime::ensureMachine() {
    if (machineReady) return;
    machine = defaultScenario();
    machineReady = true;
}

bool Runtime::loadScenarioFile(std::string& reason) {
    const char* path = std::getenv("TACHYON_SIM_SCENARIO");
    if (path == nullptr || *path == '\0') return true;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        reason = std::string("cannot read the scenario file ") + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    Scenario parsed;
    std::vector<std::string> ignored;
    if (!parseScenario(text.str(), parsed, reason, ignored)) {
        reason = std::string(path) + ": " + reason;
        return false;
    }
    for (const auto& key : ignored)
        std::fprintf(stderr, "tachyon-sim: %s: ignoring unknown key %s\n", path, key.c_str());
    machine = std::move(parsed);
    machineReady = true;
    return true;
}

std::string narrow(const wchar_t* text) {
    if (text == nullptr) return "null";
    std::string out;
    // Interface names are short ASCII; a runaway string is cut rather than read without end.
    for (size_t i = 0; text[i] != 0 && i < 256; ++i)
        out += (text[i] > 0x20 && text[i] < 0x7f) ? static_cast<char>(text[i]) : '?';
    return out;
}

std::string quoted(const char* text) { return std::string("\"") + (text ? text : "") + "\""; }

DeviceArg deviceArg(const void* pointer, Kind kind) {
    std::lock_guard lock(runtime().mutex);
    if (pointer == nullptr) return {-1, "null"};
    SimObject* o = runtime().find(pointer);
    if (o == nullptr || o->kind != kind) return {-1, "foreign"};
    const std::string name = (kind == Kind::Gpu ? "gpu" : "display") + std::to_string(o->device);
    if (o->dead) return {-1, "dead:" + name};
    if (o->generation != runtime().generation) return {-1, "stale:" + name};
    return {o->device, name};
}

std::string qualified(const SimObject& self, const char* method) {
    // A method declared by a newer interface names that interface itself ("IADLXGPU1.MultiGPUMode").
    if (std::string_view(method).find('.') != std::string_view::npos) return method;
    return std::string(self.traceName) + "." + method;
}

void record(const std::string& line) { runtime().trace.record(line); }

Gate enter(SimObject& self, const std::string& call, const std::string& args, int subject,
           const char* refusedResult) {
    Runtime& rt = runtime();
    Gate gate = Gate::Run;
    if (self.kind != Kind::System) {
        if (self.dead)
            gate = Gate::Dead;
        else if (self.generation != rt.generation)
            gate = Gate::Stale;
    }
    if (gate == Gate::Run && !rt.sessionActive) gate = Gate::Terminated;
    if (gate == Gate::Run && rt.faults.callFails(call, subject)) gate = Gate::Faulted;
    const std::string result = refusedResult != nullptr ? refusedResult : std::to_string(gateResult(gate));
    switch (gate) {
        case Gate::Run:
            break;
        case Gate::Dead:
            ++rt.audit.deadCalls;
            record("DEAD " + call + args + " -> " + result);
            break;
        case Gate::Stale:
            record("STALE " + call + args + " -> " + result);
            break;
        default:
            record(call + args + " -> " + result);
            break;
    }
    return gate;
}

ADLX_RESULT gateResult(Gate g) {
    switch (g) {
        case Gate::Run:
            return ADLX_OK;
        case Gate::Terminated:
            return ADLX_TERMINATED;
        case Gate::Faulted:
            return ADLX_FAIL;
        default:
            return ADLX_INVALID_OBJECT;
    }
}

adlx_int acquireObject(SimObject& o) {
    Runtime& rt = runtime();
    std::lock_guard lock(rt.mutex);
    const std::string name = std::string(o.traceName) + ".Acquire";
    if (o.dead) {
        ++rt.audit.deadCalls;
        record("DEAD " + name + " -> 0");
        return 0;
    }
    ++o.refs;
    record((o.generation != rt.generation ? "STALE " : "") + name + " -> " + std::to_string(o.refs));
    return o.refs;
}

adlx_int releaseObject(SimObject& o) {
    Runtime& rt = runtime();
    std::lock_guard lock(rt.mutex);
    const std::string name = std::string(o.traceName) + ".Release";
    const bool stale = o.generation != rt.generation;
    if (o.dead) {
        // An object of an older machine may be released late by its holder without blame.
        if (!stale) ++rt.audit.doubleReleases;
        record((stale ? "STALE " : "DEAD ") + name + " -> 0");
        return 0;
    }
    if (--o.refs == 0) o.dead = true;
    record((stale ? "STALE " : "") + name + " -> " + std::to_string(o.refs));
    return o.refs;
}

ADLX_RESULT queryObject(SimObject& o, const wchar_t* name, void** pp) {
    return call(o, "QueryInterface", " " + narrow(name), o.device, pp, [&](Out&) -> ADLX_RESULT {
        if (pp == nullptr || name == nullptr) return ADLX_INVALID_ARGS;
        const std::wstring_view id(name);
        if (runtime().faults.queryRefused(narrow(name), o.device)) return ADLX_UNKNOWN_INTERFACE;
        if (void* own = o.ownInterface(id)) {
            ++o.refs;
            *pp = own;
            return ADLX_OK;
        }
        if (SimObject* other = o.upgrade(id)) {
            *pp = other->ownInterface(id);
            return ADLX_OK;
        }
        return ADLX_UNKNOWN_INTERFACE;
    });
}

ADLX_RESULT writeListed(bool supported, const std::vector<int>& allowed, int& target, int v) {
    if (!supported) return ADLX_NOT_SUPPORTED;
    if (std::find(allowed.begin(), allowed.end(), v) == allowed.end()) return ADLX_INVALID_ARGS;
    target = v;
    return ADLX_OK;
}

}  // namespace sim
