// SPDX-License-Identifier: GPL-3.0-or-later
// Which cards are listed, in which order, under which name, identity string and multi-GPU role.

#include <cstdlib>
#include <fstream>

#include "RuntimeFixture.h"

namespace {

struct Listed {
    std::string name;
    std::string pnp;
    ADLX_MGPU_MODE mode = MGPU_NONE;
    bool operator==(const Listed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Listed& l) {
    return os << "{" << l.name << ", " << l.pnp << ", " << static_cast<int>(l.mode) << "}";
}

class Discovery : public RuntimeTest {
protected:
    void SetUp() override {
        idsPath = ::testing::TempDir() + "tachyon-amdgpu.ids";
        std::ofstream(idsPath)
            << "# test names\n1.0.0\n73BF,\tC0,\tAMD Radeon RX 6900 XT\n67DF,\tE7,\tAMD Radeon RX 580 "
               "Series\n67DF,\tEF,\tAMD Radeon RX 570 Series\n";
        setenv("TACHYON_AMDGPU_IDS", idsPath.c_str(), 1);
        // The PCI database knows a chip libdrm's list does not.
        pciIdsPath = ::testing::TempDir() + "tachyon-pci.ids";
        std::ofstream(pciIdsPath) << "# test names\n1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
                                     "\t7550  Navi 48 [Radeon RX 9070/9070 XT]\n\t\t1da2 440e  A board\n"
                                     "1da2  A board maker\n";
        setenv("TACHYON_PCI_IDS", pciIdsPath.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("TACHYON_AMDGPU_IDS");
        unsetenv("TACHYON_PCI_IDS");
        RuntimeTest::TearDown();
    }

    // A card with its id files, as a live kernel shows them.
    void card(int n, const std::string& driver, const std::string& device, const std::string& revision,
              const char* bootVga = "0\n") {
        const std::string at = "class/drm/card" + std::to_string(n) + "/device/";
        kernel.set(at + "uevent", "DRIVER=" + driver + "\nPCI_ID=1002:" + device + "\n");
        kernel.set(at + "vendor", "0x1002\n");
        kernel.set(at + "device", "0x" + device + "\n");
        kernel.set(at + "subsystem_vendor", "0x1da2\n");
        kernel.set(at + "subsystem_device", "0x440e\n");
        kernel.set(at + "revision", "0x" + revision + "\n");
        kernel.set(at + "boot_vga", bootVga);
    }

    std::vector<Listed> listed() {
        std::vector<Listed> out;
        system = AmdgpuRuntime::instance().start(kernel);
        if (system == nullptr) return out;
        EXPECT_EQ(system->GetGPUs(gpus.put()), ADLX_OK);
        for (adlx_uint i = gpus->Begin(); i != gpus->End(); ++i) {
            adlx::InterfacePtr<IADLXGPU> g;
            EXPECT_EQ(gpus->At(i, g.put()), ADLX_OK);
            const char* name = nullptr;
            const char* pnp = nullptr;
            g->Name(&name);
            g->PNPString(&pnp);
            Listed l{name ? name : "", pnp ? pnp : ""};
            if (auto g1 = g.query<IADLXGPU1>()) g1->MultiGPUMode(&l.mode);
            out.push_back(l);
        }
        return out;
    }

    std::string idsPath, pciIdsPath;
};

TEST_F(Discovery, ListsAmdgpuCardsInCardNumberOrderAndSkipsOtherDriversConnectorsAndNodes) {
    card(10, "amdgpu", "67df", "ef");
    card(9, "amdgpu", "73bf", "c0", "1\n");
    card(2, "i915", "9a49", "01");
    kernel.set("class/drm/card9-DP-1/status", "connected\n");
    kernel.set("class/drm/renderD128/dev", "226:128\n");
    kernel.set("class/drm/card1/device/uevent", "DRIVER=nouveau\n");
    const auto cards = listed();
    EXPECT_EQ(cards,
              (std::vector<Listed>{
                  {"AMD Radeon RX 6900 XT", "PCI\\VEN_1002&DEV_73BF&SUBSYS_440E1DA2&REV_C0", MGPU_PRIMARY},
                  {"AMD Radeon RX 570 Series", "PCI\\VEN_1002&DEV_67DF&SUBSYS_440E1DA2&REV_EF", MGPU_NONE}}));
}

TEST_F(Discovery, OneCardIsNeverPrimaryEvenWhenItBootedTheMachine) {
    card(0, "amdgpu", "73bf", "c0", "1\n");
    const auto cards = listed();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].mode, MGPU_NONE);
}

TEST_F(Discovery, NamesFallBackToTheProductNameThenToThePciDatabaseThenToTheIds) {
    card(0, "amdgpu", "73bf", "c1");
    kernel.set("class/drm/card0/device/product_name", "AMD Instinct MI210\n");
    card(1, "amdgpu", "7550", "c0");
    kernel.set("class/drm/card1/device/product_name", "\n");
    card(2, "amdgpu", "7551", "c0");
    const auto cards = listed();
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[0].name, "AMD Instinct MI210");
    EXPECT_EQ(cards[1].name, "AMD Navi 48 [Radeon RX 9070/9070 XT]");
    EXPECT_EQ(cards[2].name, "AMD Radeon Graphics [1002:7551]");
}

TEST_F(Discovery, WithoutAPciDatabaseTheNameIsTheIds) {
    setenv("TACHYON_PCI_IDS", (pciIdsPath + ".missing").c_str(), 1);
    card(0, "amdgpu", "7550", "c0");
    const auto cards = listed();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].name, "AMD Radeon Graphics [1002:7550]");
}

TEST_F(Discovery, WithoutIdFilesTheUeventGivesTheIdentity) {
    mount("rx5700xt");
    if (IsSkipped()) return;
    const auto cards = listed();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0], (Listed{"AMD Radeon Graphics [1002:731F]", "PCI\\VEN_1002&DEV_731F&SUBSYS_E4091DA2",
                                MGPU_NONE}));
}

TEST_F(Discovery, CapturedCardsWithIdFilesGetTheirMarketingName) {
    mount("rx6900xt", 0);
    mount("rx580", 1);
    if (IsSkipped()) return;
    const auto cards = listed();
    ASSERT_EQ(cards.size(), 2u);
    // Both captures booted their own machine; here both claim it, and the first keeps it.
    EXPECT_EQ(cards[0], (Listed{"AMD Radeon RX 6900 XT", "PCI\\VEN_1002&DEV_73BF&SUBSYS_440E1DA2&REV_C0",
                                MGPU_PRIMARY}));
    EXPECT_EQ(cards[1], (Listed{"AMD Radeon RX 580 Series", "PCI\\VEN_1002&DEV_67DF&SUBSYS_E3871DA2&REV_E7",
                                MGPU_NONE}));
}

TEST_F(Discovery, NoDrmFolderListsNoCard) { EXPECT_TRUE(listed().empty()); }

}  // namespace
