// SPDX-License-Identifier: GPL-3.0-or-later
// Entry points, the reference audit, interface queries and scenarios.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "SimFixture.h"

namespace simtest {
namespace {

using Entry = SimTest;

struct VersionCase {
    const char* label;
    adlx_uint64 version;
    ADLX_RESULT expected;
};

TEST_F(Entry, InitializeServesTheSameMajorUpToItsOwnMinor) {
    const VersionCase cases[] = {
        {"requested 1.2.0.72", ADLX_FULL_VERSION, ADLX_OK},
        {"older minor", ADLX_MAKE_FULL_VER(1, 0, 0, 0), ADLX_OK},
        {"newer build of 1.2", ADLX_MAKE_FULL_VER(1, 2, 3, 999), ADLX_OK},
        {"newer minor", ADLX_MAKE_FULL_VER(1, 3, 0, 0), ADLX_BAD_VER},
        {"newer major", ADLX_MAKE_FULL_VER(2, 0, 0, 0), ADLX_BAD_VER},
        {"older major", ADLX_MAKE_FULL_VER(0, 9, 0, 0), ADLX_BAD_VER},
    };
    for (const auto& c : cases) {
        IADLXSystem* s = reinterpret_cast<IADLXSystem*>(0x1);
        EXPECT_EQ(lib().initialize(c.version, &s), c.expected) << c.label;
        // A refusal hands out nothing; an acceptance within a session hands out the same system.
        EXPECT_EQ(s, c.expected == ADLX_OK ? system : nullptr) << c.label;
    }
    EXPECT_EQ(lib().initialize(ADLX_FULL_VERSION, nullptr), ADLX_INVALID_ARGS);
}

TEST_F(Entry, VersionQueriesReportTheServedVersion) {
    adlx_uint64 full = 0;
    const char* text = nullptr;
    EXPECT_EQ(lib().queryFullVersion(&full), ADLX_OK);
    EXPECT_EQ(full, ADLX_FULL_VERSION);
    EXPECT_EQ(lib().queryVersion(&text), ADLX_OK);
    EXPECT_STREQ(text, "1.2.0.72");
    EXPECT_EQ(lib().queryFullVersion(nullptr), ADLX_INVALID_ARGS);
    EXPECT_EQ(lib().queryVersion(nullptr), ADLX_INVALID_ARGS);
}

TEST_F(Entry, CallsAfterTerminateAreRefusedAndTheNextSessionStartsClean) {
    auto g = gpu(0);
    ASSERT_EQ(lib().terminate(), ADLX_OK);
    const char* name = nullptr;
    EXPECT_EQ(g->Name(&name), ADLX_TERMINATED);
    InterfacePtr<IADLXGPUList> list;
    EXPECT_EQ(system->GetGPUs(list.put()), ADLX_TERMINATED);
    EXPECT_FALSE(list);
    g.reset();  // releasing late is allowed and settles the count
    EXPECT_EQ(ctl("audit"), "live=0 double=0 dead_calls=0");
    ASSERT_EQ(lib().initialize(ADLX_FULL_VERSION, &system), ADLX_OK);
    EXPECT_EQ(system->GetGPUs(list.put()), ADLX_OK);
}

TEST_F(Entry, ControlRefusesWhatItDoesNotKnow) {
    EXPECT_EQ(ctl("no-such-command").rfind("error:", 0), 0u);
    EXPECT_EQ(ctl("set", "gpu0.gfx.noSuchValue=1").rfind("error:", 0), 0u);
    EXPECT_EQ(ctl("set", "gpu9.gfx.maxFrequency=1").rfind("error:", 0), 0u);
    EXPECT_EQ(ctl("fault", "IADLXGPUList.At#x").rfind("error:", 0), 0u);
    EXPECT_EQ(lib().control(nullptr, nullptr), std::string("error: no command"));
}

using Audit = SimTest;

TEST_F(Audit, ObjectLeftAtTerminateIsReportedAsLive) {
    IADLXGPUList* leaked = nullptr;
    ASSERT_EQ(system->GetGPUs(&leaked), ADLX_OK);
    ASSERT_EQ(lib().terminate(), ADLX_OK);
    EXPECT_EQ(calls().back(), "ADLXTerminate -> 0 live=1 double=0 dead_calls=0");
    EXPECT_EQ(ctl("audit"), "live=1 double=0 dead_calls=0");
    leaked->Release();
}

TEST_F(Audit, SecondReleaseIsCountedNotFatal) {
    IADLXGPUList* list = nullptr;
    ASSERT_EQ(system->GetGPUs(&list), ADLX_OK);
    EXPECT_EQ(list->Release(), 0);
    EXPECT_EQ(list->Release(), 0);
    EXPECT_EQ(ctl("audit"), "live=0 double=1 dead_calls=0");
    EXPECT_EQ(lines(ctl("trace")).back(), "DEAD IADLXGPUList.Release -> 0");
    ctl("audit.reset");
}

TEST_F(Audit, CallOnReleasedObjectIsDetected) {
    IADLXGPU* g = gpu(1).detach();
    ASSERT_EQ(g->Release(), 0);
    const char* name = nullptr;
    EXPECT_EQ(g->Name(&name), ADLX_INVALID_OBJECT);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(ctl("audit"), "live=0 double=0 dead_calls=1");
    EXPECT_EQ(calls().back(), "DEAD IADLXGPU.Name -> 10");
    ctl("audit.reset");
}

TEST_F(Audit, ObjectsOfAReplacedMachineCountNothingAgainstTheNewOne) {
    IADLXGPU* held = gpu(0).detach();
    useScenario("");
    const char* name = nullptr;
    EXPECT_EQ(held->Name(&name), ADLX_INVALID_OBJECT);
    held->Release();
    held->Release();
    EXPECT_EQ(ctl("audit"), "live=0 double=0 dead_calls=0");
}

struct QueryCase {
    const char* label;
    const wchar_t* name;
    bool answered;
};

// Asks `object` for each name; an answer carries its own reference, a refusal leaves null.
template <class T>
void expectAnswers(T* object, std::initializer_list<QueryCase> cases) {
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(0x1);
        const ADLX_RESULT r = object->QueryInterface(c.name, &out);
        EXPECT_EQ(r, c.answered ? ADLX_OK : ADLX_UNKNOWN_INTERFACE) << c.label;
        if (c.answered) {
            ASSERT_NE(out, nullptr) << c.label;
            EXPECT_EQ(static_cast<IADLXInterface*>(out)->Release(), 1) << c.label << ": query took no reference";
        } else {
            EXPECT_EQ(out, nullptr) << c.label;
        }
    }
}

using Query = SimTest;

TEST_F(Query, ObjectsAnswerTheirOwnAndTheirBasesNames) {
    auto g = gpu(0);
    expectAnswers(g.get(), {{"gpu own", L"IADLXGPU1", true},
                            {"gpu base", L"IADLXGPU", true},
                            {"gpu root", L"IADLXInterface", true},
                            {"not a gpu", L"IADLXDisplay", false},
                            {"empty", L"", false}});
    auto services = tuning();
    expectAnswers(services.get(), {{"tuning 1", L"IADLXGPUTuningServices1", true},
                                   {"tuning", L"IADLXGPUTuningServices", true},
                                   {"3D", L"IADLX3DSettingsServices", false}});
    InterfacePtr<IADLXInterface> gfx;
    ASSERT_EQ(services->GetManualGFXTuning(g.get(), gfx.put()), ADLX_OK);
    expectAnswers(gfx.get(), {{"gfx", L"IADLXManualGraphicsTuning2", true},
                              {"other tuning", L"IADLXManualPowerTuning", false}});
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(g->QueryInterface(nullptr, &out), ADLX_INVALID_ARGS);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(g->QueryInterface(L"IADLXGPU", nullptr), ADLX_INVALID_ARGS);
}

TEST_F(Query, AntiLagLevelInterfaceAnswersForAntiLagPlus) {
    useScenario(R"({"gpus":[{"antiLag":{"supported":true,"levelSupported":false}}]})");
    ASSERT_EQ(lib().initialize(ADLX_FULL_VERSION, &system), ADLX_OK);
    auto services = settings3D();
    auto g = gpu(0);
    InterfacePtr<IADLX3DAntiLag> antiLag;
    ASSERT_EQ(services->GetAntiLag(g.get(), antiLag.put()), ADLX_OK);
    auto level = antiLag.query<IADLX3DAntiLag1>();
    ASSERT_TRUE(level);
    adlx_bool base = false, plus = true;
    EXPECT_EQ(antiLag->IsSupported(&base), ADLX_OK);
    EXPECT_EQ(level->IsSupported(&plus), ADLX_OK);
    EXPECT_TRUE(base);
    EXPECT_FALSE(plus);
    ADLX_ANTILAG_STATE state{};
    EXPECT_EQ(level->GetLevel(&state), ADLX_NOT_SUPPORTED);
}

using ScenarioTest = SimTest;

TEST_F(ScenarioTest, SmallJsonOverridesAndTheRestComesFromTheDefaultCard) {
    const std::string reply = ctl("scenario", R"({
        "gpus": [{"name": "Test Card", "gfx": {"maxFrequency": {"min": 1000, "max": 2000, "value": 1500}},
                  "vram": {"timings": [0, 7, 7]}, "mistyped": 1}],
        "displays": [{"name": "Panel", "colorDepth": {"values": [2], "value": 2}}]})");
    EXPECT_EQ(reply, "ok; ignored unknown keys: gpus[0].mistyped");
    EXPECT_EQ(driverValue("gpu0.name"), "\"Test Card\"");
    EXPECT_EQ(driverValue("gpu0.gfx.maxFrequency"), "1500");
    EXPECT_EQ(driverValue("gpu0.gfx.maxFrequency.default"), "2500");  // untouched default-card value
    EXPECT_EQ(driverValue("gpu0.gfx.voltage"), "1150");
    EXPECT_EQ(driverValue("gpu0.vram.timings"), "[0,7,7]");
    EXPECT_EQ(driverValue("display0.colorDepth.values"), "[2]");
    EXPECT_EQ(ctl("get", "gpu1.name").rfind("error:", 0), 0u) << "only one GPU was described";

    ASSERT_EQ(lib().initialize(ADLX_FULL_VERSION, &system), ADLX_OK);
    auto gfx = manual<IADLXManualGraphicsTuning2>(0, &IADLXGPUTuningServices::GetManualGFXTuning);
    ASSERT_TRUE(gfx);
    EXPECT_EQ(gfx->SetGPUMaxFrequency(2100), ADLX_INVALID_ARGS);
    EXPECT_EQ(gfx->SetGPUMaxFrequency(2000), ADLX_OK);
}

TEST_F(ScenarioTest, UnusableJsonIsRefusedAndTheMachineKept) {
    ASSERT_EQ(ctl("set", "gpu0.gfx.maxFrequency=2400"), "ok");
    const char* bad[] = {"{", "[1,2]", R"({"gpus": 3})", R"({"gpus": [{"gfx": {"maxFrequency": "fast"}}]})",
                         R"({"gpus": [{"fan": {"curve": []}}]})"};
    for (const char* text : bad) {
        const std::string reply = ctl("scenario", text);
        EXPECT_EQ(reply.rfind("error: ", 0), 0u) << text;
        EXPECT_EQ(reply.find('\n'), std::string::npos) << text;
    }
    EXPECT_EQ(driverValue("gpu0.gfx.maxFrequency"), "2400");
}

// TACHYON_SIM_SCENARIO is read whenever a session starts.
class ScenarioFile : public SimTest {
protected:
    void TearDown() override {
        unsetenv("TACHYON_SIM_SCENARIO");
        std::remove(path.c_str());
        SimTest::TearDown();
    }
    ADLX_RESULT restartWith(const std::string& text) {
        std::ofstream(path) << text;
        EXPECT_EQ(lib().terminate(), ADLX_OK);
        setenv("TACHYON_SIM_SCENARIO", path.c_str(), 1);
        system = reinterpret_cast<IADLXSystem*>(0x1);
        return lib().initialize(ADLX_FULL_VERSION, &system);
    }

    // Runs `f` with standard error going to a file and returns what was written there.
    template <class F>
    static std::string stderrOf(F&& f) {
        char name[] = "/tmp/sim-stderr-XXXXXX";
        const int fd = mkstemp(name);
        std::fflush(stderr);
        const int saved = dup(2);
        dup2(fd, 2);
        f();
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        close(fd);
        std::ifstream in(name);
        std::stringstream text;
        text << in.rdbuf();
        std::remove(name);
        return text.str();
    }

    std::string path = "/tmp/sim-scenario-" + std::to_string(getpid()) + ".json";
};

TEST_F(ScenarioFile, MalformedFileMakesInitializeFailWithOneLineReason) {
    ASSERT_EQ(ctl("set", "gpu0.gfx.maxFrequency=2400"), "ok");
    ADLX_RESULT r = ADLX_OK;
    const std::string err = stderrOf([&] { r = restartWith(R"({"gpus": [ {"name": )"); });
    EXPECT_EQ(r, ADLX_FAIL);
    EXPECT_EQ(system, nullptr);
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_EQ(lines(err).size(), 1u) << err;
    EXPECT_EQ(driverValue("gpu0.gfx.maxFrequency"), "2400") << "the machine is kept";
}

TEST_F(ScenarioFile, FileReplacesTheMachine) {
    ASSERT_EQ(restartWith(R"({"gpus": [{"name": "From File"}], "displays": []})"), ADLX_OK);
    EXPECT_EQ(driverValue("gpu0.name"), "\"From File\"");
    adlx_uint count = 9;
    EXPECT_EQ(displays()->GetNumberOfDisplays(&count), ADLX_OK);
    EXPECT_EQ(count, 0u);
}

}  // namespace
}  // namespace simtest
