// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "formats/Identity.h"

namespace amdgpu {
namespace {

using namespace std::string_literals;

TEST(Identity, HexIdFiles) {
    EXPECT_EQ(parseHexId("0x67df\n"), 0x67DF);
    EXPECT_EQ(parseHexId("0xE7\n"), 0xE7);
    EXPECT_EQ(parseHexId("0x1002\n" + std::string(4089, '\0')), 0x1002);
    EXPECT_EQ(parseHexId("73BF"), 0x73BF);
    EXPECT_EQ(parseHexId("0xffff"), 0xFFFF);
    for (const std::string& bad : {""s, "\n"s, "0x\n"s, "0x10000\n"s, "0xfffffffffffffffff1002\n"s,
                                   "0x67dg\n"s, "0x67 df\n"s, "-0x1\n"s}) {
        EXPECT_EQ(parseHexId(bad), std::nullopt) << bad;
    }
}

TEST(Identity, UeventAndIdPairs) {
    const auto uevent = parseUevent(
        "DRIVER=amdgpu\nPCI_CLASS=30000\r\nPCI_ID=1002:73BF\nPCI_SUBSYS_ID=1DA2:440E\nno equals sign\n=x\n"
        "PCI_SLOT_NAME=0000:0c:00.0\nDRIVER=other\n\0\0\0"s);
    EXPECT_EQ(uevent.size(), 5u);
    EXPECT_EQ(uevent.at("DRIVER"), "amdgpu");
    EXPECT_EQ(uevent.at("PCI_CLASS"), "30000");
    EXPECT_EQ(uevent.at("PCI_SLOT_NAME"), "0000:0c:00.0");
    EXPECT_EQ(parsePciIdPair(uevent.at("PCI_ID")), (PciIdPair{0x1002, 0x73BF}));
    EXPECT_EQ(parsePciIdPair(uevent.at("PCI_SUBSYS_ID")), (PciIdPair{0x1DA2, 0x440E}));
    for (const char* bad : {"", "1002", "1002:", ":73BF", "10020:73BF", "1002:73BG", "1002:73BF:1"}) {
        EXPECT_EQ(parsePciIdPair(bad), std::nullopt) << bad;
    }
}

// The profile code takes the four characters after the first "DEV_" and the two after "REV_".
TEST(Identity, PnpStringHasTheShapeTheProfileCodeReads) {
    struct Case {
        PciIdentity id;
        const char* pnp;
    };
    const Case cases[] = {
        {{0x1002, 0x73BF, PciIdPair{0x1DA2, 0x440E}, 0xC0},
         R"(PCI\VEN_1002&DEV_73BF&SUBSYS_440E1DA2&REV_C0)"},
        {{0x1002, 0x163F, PciIdPair{0x1002, 0x0123}, 0x0A},
         R"(PCI\VEN_1002&DEV_163F&SUBSYS_01231002&REV_0A)"},
        {{0x1002, 0x0001, std::nullopt, 0x00}, R"(PCI\VEN_1002&DEV_0001&REV_00)"},
        {{0x1002, 0x7550, PciIdPair{0x148C, 0x2435}, std::nullopt},
         R"(PCI\VEN_1002&DEV_7550&SUBSYS_2435148C)"},
    };
    for (const Case& c : cases) {
        const std::string pnp = pnpString(c.id);
        EXPECT_EQ(pnp, c.pnp);
        char dev[5];
        std::snprintf(dev, sizeof dev, "%04X", c.id.device);
        EXPECT_EQ(pnp.substr(pnp.find("DEV_") + 4, 4), dev);
        if (c.id.revision) {
            char rev[3];
            std::snprintf(rev, sizeof rev, "%02X", *c.id.revision);
            EXPECT_EQ(pnp.substr(pnp.find("REV_") + 4, 2), rev);
        }
    }
}

TEST(Identity, MarketingNamesFromLibdrmTable) {
    const MarketingNames names = parseAmdgpuIds(
        "# List of AMDGPU IDs\n#\n# Syntax:\n# device_id,\trevision_id,\tproduct_name\n\n"
        "1.0.0\n"
        "67DF,\tC1,\tAMD Radeon Example 580\n"
        "67DF,\tE7,\tAMD Radeon Example 580 Series\r\n"
        "67df,\te7,\tlater duplicate\n"
        "ZZZZ,\t00,\tbad device\n"
        "73BF,\t100,\tbad revision\n"
        "73BF,\tC0\n"
        "73BF,\tC1,\t\n"
        "15BF,\tDD,\tAMD Radeon Example 780M");
    EXPECT_EQ(names.version, "1.0.0");
    EXPECT_EQ(names.entries.size(), 4u);
    EXPECT_EQ(findMarketingName(names, 0x67DF, 0xE7), "AMD Radeon Example 580 Series");
    EXPECT_EQ(findMarketingName(names, 0x67DF, 0xC1), "AMD Radeon Example 580");
    EXPECT_EQ(findMarketingName(names, 0x15BF, 0xDD), "AMD Radeon Example 780M");
    EXPECT_EQ(findMarketingName(names, 0x67DF, 0xC2), std::nullopt);
    EXPECT_EQ(findMarketingName(names, 0x73BF, 0xC0), std::nullopt);
    EXPECT_TRUE(parseAmdgpuIds("").entries.empty());
}

TEST(Identity, InstalledLibdrmTableReads) {
    std::ifstream file(LIBDRM_AMDGPU_IDS, std::ios::binary);
    if (!file) GTEST_SKIP() << LIBDRM_AMDGPU_IDS << " is not installed (package libdrm-common)";
    std::stringstream content;
    content << file.rdbuf();
    const MarketingNames names = parseAmdgpuIds(content.str());
    EXPECT_FALSE(names.version.empty());
    EXPECT_GT(names.entries.size(), 100u);
    EXPECT_EQ(findMarketingName(names, 0x67DF, 0xE7), "AMD Radeon RX 580 Series");
    EXPECT_EQ(findMarketingName(names, 0x73BF, 0xC0), "AMD Radeon RX 6900 XT");
}

}  // namespace
}  // namespace amdgpu
