// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one simulated machine of this process and the rules every call goes through: dead and
// stale objects, a terminated session, injected faults, and the trace line of each call.

#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <unordered_map>

#include "Faults.h"
#include "Object.h"
#include "Scenario.h"
#include "Trace.h"
#include "adlx/ADLX.h"

namespace sim {

class Runtime : public objects::ObjectTable {
public:
    std::recursive_mutex mutex;

    bool machineReady = false;
    Scenario machine;
    // The generation is bumped when the machine is replaced, as well as when a session starts.
    bool sessionActive = false;

    Trace trace;
    Faults faults;

    // The object behind a pointer the program passed in, if the pointer is one of ours.
    SimObject* find(const void* interfacePointer) const;
    // Replaces the machine; values, faults, trace and audit start afresh.
    void replaceMachine(Scenario scenario);
    // Builds the built-in machine if none exists yet.
    void ensureMachine();
    // Reads the machine from the file TACHYON_SIM_SCENARIO names, when it names one; the machine
    // stays as it is when the file cannot be used.
    bool loadScenarioFile(std::string& reason);
};

Runtime& runtime();

// ---- Formatting of trace arguments and out-values.

std::string narrow(const wchar_t* text);
std::string quoted(const char* text);

template <class T>
std::string fmt(T v) {
    if constexpr (std::is_same_v<T, bool>)
        return v ? "true" : "false";
    else if constexpr (std::is_enum_v<T>)
        return std::to_string(static_cast<long long>(v));
    else
        return std::to_string(v);
}
inline std::string fmt(const ADLX_IntRange& r) {
    return std::to_string(r.minValue) + " " + std::to_string(r.maxValue) + " " + std::to_string(r.step);
}

struct Out {
    std::string text;
    template <class T>
    Out& operator<<(const T& v) {
        text += " " + fmt(v);
        return *this;
    }
    Out& str(const char* s) {
        text += " " + quoted(s);
        return *this;
    }
};

// A GPU or display passed as an argument: its index when it is a live object of ours.
struct DeviceArg {
    int index = -1;
    std::string text;
};
DeviceArg deviceArg(const void* pointer, Kind kind);

// ---- The call path every method takes.

enum class Gate { Run, Dead, Stale, Terminated, Faulted };
// Decides whether a call may run; records the trace line itself when it may not, with
// `refusedResult` as its result when the call answers with something else than its ADLX_RESULT.
Gate enter(SimObject& self, const std::string& call, const std::string& args, int subject,
           const char* refusedResult = nullptr);
ADLX_RESULT gateResult(Gate g);
std::string qualified(const SimObject& self, const char* method);
void record(const std::string& line);

// Runs `body(Out&)` under the rules above. On any failure an interface out-pointer is set to null,
// except after an injected FailAfterWrite fault.
template <class Body>
ADLX_RESULT call(SimObject& self, const char* method, const std::string& args, int subject, void** outIface,
                 Body&& body) {
    std::lock_guard lock(runtime().mutex);
    const std::string name = qualified(self, method);
    const Gate gate = enter(self, name, args, subject);
    if (gate != Gate::Run) {
        if (outIface != nullptr) *outIface = nullptr;
        return gateResult(gate);
    }
    Out out;
    ADLX_RESULT result = ADLX_FAIL;
    try {
        result = body(out);
    } catch (...) {
        // Nothing may cross the runtime boundary; a failure inside is the driver failing.
        out = {};
    }
    if (result == ADLX_OK && runtime().faults.failsAfterWrite(name, subject)) {
        // A driver that did the work and still reports failure: what it wrote stays written, an
        // interface handed out included, which its receiver then owns.
        result = ADLX_FAIL;
    } else if (result != ADLX_OK && outIface != nullptr) {
        *outIface = nullptr;
    }
    record(name + args + " -> " + std::to_string(static_cast<int>(result)) + out.text);
    return result;
}

// Size, Begin and End: a refused call counts as an empty list.
template <class Body>
adlx_uint count(SimObject& self, const char* method, Body&& body) {
    std::lock_guard lock(runtime().mutex);
    const std::string name = qualified(self, method);
    if (enter(self, name, "", self.device, "0") != Gate::Run) return 0;
    adlx_uint n = 0;
    try {
        n = body();
    } catch (...) {
    }
    record(name + " -> " + std::to_string(n));
    return n;
}

// A value getter: null out-pointer refused, the value written and traced only on success.
template <class T, class Read>
ADLX_RESULT getter(SimObject& self, const char* method, T* out, Read&& read) {
    return call(self, method, "", self.device, nullptr, [&](Out& o) -> ADLX_RESULT {
        if (out == nullptr) return ADLX_INVALID_ARGS;
        T v{};
        const ADLX_RESULT r = read(v);
        if (r == ADLX_OK) {
            *out = v;
            o << v;
        }
        return r;
    });
}

template <class T, class Write>
ADLX_RESULT setter(SimObject& self, const char* method, T v, Write&& write) {
    return call(self, method, " " + fmt(v), self.device, nullptr,
                [&](Out&) -> ADLX_RESULT { return write(v); });
}

// Hands out a new object through an interface out-pointer.
template <class Iface, class Make>
ADLX_RESULT handOut(SimObject& self, const char* method, const std::string& args, int subject, Iface** pp,
                    Make&& make) {
    return call(self, method, args, subject, reinterpret_cast<void**>(pp), [&](Out&) -> ADLX_RESULT {
        if (pp == nullptr) return ADLX_INVALID_ARGS;
        return make(*pp);
    });
}

// ---- Common value rules of a careful driver.

inline ADLX_RESULT readIf(bool supported, int value, int& out) {
    if (!supported) return ADLX_NOT_SUPPORTED;
    out = value;
    return ADLX_OK;
}
inline ADLX_RESULT writeRanged(bool supported, const Range& range, int& target, int v) {
    if (!supported) return ADLX_NOT_SUPPORTED;
    if (!range.contains(v)) return ADLX_INVALID_ARGS;
    target = v;
    return ADLX_OK;
}
ADLX_RESULT writeListed(bool supported, const std::vector<int>& allowed, int& target, int v);
inline ADLX_IntRange toRange(const Range& r) { return {r.min, r.max, r.step}; }

// Feature helpers over a model accessor, a callable returning the feature's part of the machine.
// The accessor is only called once the call may run, when the object is known to be current.
template <class Model>
ADLX_RESULT isSupported(SimObject& s, adlx_bool* out, Model&& model) {
    return getter(s, "IsSupported", out, [&](adlx_bool& v) {
        v = model().supported;
        return ADLX_OK;
    });
}
template <class Model>
ADLX_RESULT isEnabled(SimObject& s, adlx_bool* out, Model&& model) {
    return getter(s, "IsEnabled", out, [&](adlx_bool& v) {
        if (!model().supported) return ADLX_NOT_SUPPORTED;
        v = model().enabled;
        return ADLX_OK;
    });
}
template <class Model>
ADLX_RESULT setEnabled(SimObject& s, adlx_bool value, Model&& model) {
    return setter(s, "SetEnabled", value, [&](adlx_bool v) {
        if (!model().supported) return ADLX_NOT_SUPPORTED;
        model().enabled = v;
        return ADLX_OK;
    });
}
template <class Model, class T>
ADLX_RESULT rangeOf(SimObject& s, const char* method, ADLX_IntRange* out, Model&& model, Range T::*range) {
    return getter(s, method, out, [&](ADLX_IntRange& v) {
        if (!model().supported) return ADLX_NOT_SUPPORTED;
        v = toRange(model().*range);
        return ADLX_OK;
    });
}
// An integer or enumeration value of a feature.
template <class V, class Model, class T>
ADLX_RESULT valueOf(SimObject& s, const char* method, V* out, Model&& model, int T::*field) {
    return getter(s, method, out, [&](V& v) {
        if (!model().supported) return ADLX_NOT_SUPPORTED;
        v = static_cast<V>(model().*field);
        return ADLX_OK;
    });
}
template <class V, class Model, class T>
ADLX_RESULT setRanged(SimObject& s, const char* method, V value, Model&& model, int T::*field,
                      Range T::*range) {
    return setter(s, method, value, [&](V v) {
        return writeRanged(model().supported, model().*range, model().*field, static_cast<int>(v));
    });
}
// `allowed` is a callable too: the list may be part of the model.
template <class V, class Model, class T, class Allowed>
ADLX_RESULT setListed(SimObject& s, const char* method, V value, Model&& model, int T::*field,
                      Allowed&& allowed) {
    return setter(s, method, value, [&](V v) {
        return writeListed(model().supported, allowed(), model().*field, static_cast<int>(v));
    });
}
// The value of an on/off feature with one ranged setting (Boost, sharpening, FRTC, Super Resolution).
template <class Model>
ADLX_RESULT rangedSwitchRange(SimObject& s, const char* method, ADLX_IntRange* out, Model&& model) {
    return getter(s, method, out, [&](ADLX_IntRange& v) {
        if (!model().supported) return ADLX_NOT_SUPPORTED;
        v = toRange(model().value.range);
        return ADLX_OK;
    });
}
template <class Model>
ADLX_RESULT rangedSwitchGet(SimObject& s, const char* method, adlx_int* out, Model&& model) {
    return getter(s, method, out,
                  [&](adlx_int& v) { return readIf(model().supported, model().value.value, v); });
}
template <class Model>
ADLX_RESULT rangedSwitchSet(SimObject& s, const char* method, adlx_int value, Model&& model) {
    return setter(s, method, value, [&](adlx_int v) {
        return writeRanged(model().supported, model().value.range, model().value.value, v);
    });
}

inline Gpu& gpuModel(const SimObject& o) { return runtime().machine.gpus.at(o.device); }
inline Display& displayModel(const SimObject& o) { return runtime().machine.displays.at(o.device); }

}  // namespace sim
