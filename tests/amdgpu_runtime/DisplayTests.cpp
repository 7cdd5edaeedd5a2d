// SPDX-License-Identifier: GPL-3.0-or-later
// The displays: which connectors are listed, in which order, under which name; that every display
// feature is unsupported; and what a connector that goes away between two calls does.

#include <functional>

#include "EdidSample.h"
#include "RuntimeFixture.h"

namespace {

using amdgpu::samples::edidBlock;

class Displays : public RuntimeTest {
protected:
    void TearDown() override {
        display.reset();
        list.reset();
        displays.reset();
        RuntimeTest::TearDown();
    }
    void card(int n, const char* driver = "amdgpu") {
        kernel.set("class/drm/card" + std::to_string(n) + "/device/uevent",
                   std::string("DRIVER=") + driver + "\nPCI_ID=1002:73BF\n");
    }
    // A connector as class/drm shows it; no edid file when edid is null.
    void connector(const std::string& name, const std::string& status, const std::string* edid = nullptr) {
        kernel.set("class/drm/" + name + "/status", status);
        kernel.set("class/drm/" + name + "/enabled", status == "connected\n" ? "enabled\n" : "disabled\n");
        if (edid != nullptr) kernel.set("class/drm/" + name + "/edid", *edid);
    }
    void open() {
        start();
        ASSERT_EQ(system->GetDisplaysServices(displays.put()), ADLX_OK);
    }
    // Card 0 with DP-1 connected, the runtime started, and its one display taken from a list.
    void openOneDisplay() {
        card(0);
        connector("card0-DP-1", "connected\n");
        ASSERT_NO_FATAL_FAILURE(open());
        ASSERT_EQ(displays->GetDisplays(list.put()), ADLX_OK);
        ASSERT_EQ(list->At(0, display.put()), ADLX_OK);
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        adlx::InterfacePtr<IADLXDisplayList> listed;
        EXPECT_EQ(once([&] { return displays->GetDisplays(listed.put()); }), ADLX_OK);
        if (!listed) return out;
        EXPECT_EQ(listed->Begin(), 0u);
        EXPECT_EQ(listed->End(), listed->Size());
        for (adlx_uint i = listed->Begin(); i != listed->End(); ++i) {
            adlx::InterfacePtr<IADLXDisplay> item;
            EXPECT_EQ(listed->At(i, item.put()), ADLX_OK);
            const char* name = nullptr;
            if (item) {
                EXPECT_EQ(item->Name(&name), ADLX_OK);
            }
            out.push_back(name != nullptr ? name : "<none>");
        }
        adlx::InterfacePtr<IADLXDisplay> beyond;
        EXPECT_EQ(listed->At(listed->Size(), beyond.put()), ADLX_INVALID_ARGS);
        EXPECT_FALSE(beyond);
        return out;
    }
    adlx_uint count() {
        adlx_uint n = 99;
        EXPECT_EQ(once([&] { return displays->GetNumberOfDisplays(&n); }), ADLX_OK);
        return n;
    }

    // One feature getter of the display services, so a table can walk them all.
    using Fetch = std::function<ADLX_RESULT(IADLXDisplay*, IADLXInterface**)>;
    template <class Feature>
    Fetch Getter(ADLX_RESULT (IADLXDisplayServices::*get)(IADLXDisplay*, Feature**)) {
        return [this, get](IADLXDisplay* d, IADLXInterface** pp) {
            return (displays.get()->*get)(d, reinterpret_cast<Feature**>(pp));
        };
    }

    adlx::InterfacePtr<IADLXDisplayServices> displays;
    adlx::InterfacePtr<IADLXDisplayList> list;
    adlx::InterfacePtr<IADLXDisplay> display;
};

// The captured connectors store their text padded with NUL bytes to 4096.
std::string padded(const std::string& text) { return text + std::string(4096 - text.size(), '\0'); }

TEST_F(Displays, EveryConnectedConnectorInCardOrderThenTheKernelsNumberingNamedByItsMonitor) {
    const std::string named = edidBlock("TACHYON T27");
    const std::string panel = edidBlock("TACHYON P14");
    const std::string unnamed = edidBlock(std::nullopt);
    std::string damaged = named;
    damaged[127] = static_cast<char>(damaged[127] + 1);
    const std::string empty;
    card(0);
    card(1);
    card(2, "i915");
    connector("card0-DP-10", "connected\n");
    connector("card0-DP-2", padded("connected\n"), &named);
    connector("card0-DP-1", "connected\n", &empty);
    connector("card0-HDMI-A-1", "disconnected\n", &named);
    connector("card0-DP-3", "connected\n", &damaged);
    connector("card0-DP-4", "unknown\n");
    connector("card0-DVI-D-1", "connected\n", &unnamed);
    connector("card1-eDP-1", "connected\n", &panel);
    connector("card2-DP-1", "connected\n", &named);
    open();
    EXPECT_EQ(names(), (std::vector<std::string>{"DP-1", "TACHYON T27 (DP-2)", "DP-3", "DP-10", "DVI-D-1",
                                                 "TACHYON P14 (eDP-1)"}));
    EXPECT_EQ(count(), 6u);
    EXPECT_TRUE(kernel.writes.empty());
}

TEST_F(Displays, NoConnectedConnectorListsNoDisplay) {
    card(0);
    connector("card0-DP-1", "disconnected\n");
    open();
    EXPECT_TRUE(names().empty());
    EXPECT_EQ(count(), 0u);
}

TEST_F(Displays, EveryFeatureIsUnsupportedAndAnArgumentThatIsNoDisplayIsRefused) {
    ASSERT_NO_FATAL_FAILURE(openOneDisplay());
    IADLXDisplay* released = nullptr;
    ASSERT_EQ(list->At(0, &released), ADLX_OK);
    released->Release();

    const std::vector<std::pair<const char*, Fetch>> features = {
        {"FreeSync", Getter(&IADLXDisplayServices::GetFreeSync)},
        {"VSR", Getter(&IADLXDisplayServices::GetVirtualSuperResolution)},
        {"GPU scaling", Getter(&IADLXDisplayServices::GetGPUScaling)},
        {"scaling mode", Getter(&IADLXDisplayServices::GetScalingMode)},
        {"integer scaling", Getter(&IADLXDisplayServices::GetIntegerScaling)},
        {"colour depth", Getter(&IADLXDisplayServices::GetColorDepth)},
        {"pixel format", Getter(&IADLXDisplayServices::GetPixelFormat)},
    };
    for (const auto& [name, fetch] : features) {
        struct Case {
            const char* what;
            IADLXDisplay* display;
            ADLX_RESULT result;
        };
        const Case cases[] = {
            {"listed display", display.get(), ADLX_NOT_SUPPORTED},
            {"no display", nullptr, ADLX_INVALID_ARGS},
            {"released display", released, ADLX_INVALID_ARGS},
            {"a GPU", reinterpret_cast<IADLXDisplay*>(static_cast<IADLXInterface*>(gpu.get())),
             ADLX_INVALID_ARGS},
        };
        for (const Case& c : cases) {
            IADLXInterface* feature = reinterpret_cast<IADLXInterface*>(this);
            EXPECT_EQ(once([&] { return fetch(c.display, &feature); }), c.result) << name << ", " << c.what;
            EXPECT_EQ(feature, nullptr) << name << ", " << c.what;
        }
    }
    EXPECT_TRUE(kernel.writes.empty());
}

// A monitor unplugged, a hub taken away or the card unbound: the display the program still holds
// names what it was, its features fail, and the next list is what the kernel now shows.
TEST_F(Displays, AConnectorThatVanishesBetweenListAndUseFailsAndTheNextListIsTheKernelsNew) {
    ASSERT_NO_FATAL_FAILURE(openOneDisplay());

    kernel.removeBelow("class/drm/card0-DP-1");
    adlx::InterfacePtr<IADLXDisplayFreeSync> freeSync;
    EXPECT_EQ(displays->GetFreeSync(display.get(), freeSync.put()), ADLX_FAIL);
    EXPECT_FALSE(freeSync);
    const char* name = nullptr;
    EXPECT_EQ(display->Name(&name), ADLX_OK);
    EXPECT_STREQ(name, "DP-1");
    EXPECT_TRUE(names().empty());

    const std::string named = edidBlock("TACHYON T27");
    connector("card0-HDMI-A-1", "connected\n", &named);
    EXPECT_EQ(names(), std::vector<std::string>{"TACHYON T27 (HDMI-A-1)"});
}

}  // namespace
