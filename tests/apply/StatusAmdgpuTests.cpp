// SPDX-License-Identifier: GPL-3.0-or-later
// --status --json on the amdgpu runtime, over every captured card and every hand-written tree: the
// readings are what the card's files hold in the report's units, a file the card lacks is a key the
// report lacks, a text that cannot be understood is never a number, and a sleeping card is
// reported asleep without one of its sensor or tuning files being read.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "AmdgpuModule.h"
#include "AttributesControl.h"
#include "KernelModel.h"
#include "app/StatusCommand.h"
#include "device/ADLXHelper.h"

namespace {

namespace fs = std::filesystem;

std::optional<std::string> FileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.substr(0, text.find('\0'));
}

std::optional<double> FileNumber(const fs::path& file) {
    const auto text = FileText(file);
    if (!text) return std::nullopt;
    return static_cast<double>(std::stoll(*text));
}

// The clock of the level a pp_dpm_* file marks with '*'.
std::optional<double> MarkedClock(const fs::path& file) {
    const auto text = FileText(file);
    if (!text) return std::nullopt;
    const std::size_t star = text->find('*');
    const std::size_t colon = text->rfind(':', star);
    return std::stod(text->substr(colon + 1));
}

fs::path HwmonOf(const fs::path& tree) {
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(tree / "device/hwmon")) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    return folders.front();
}

// What the report must show for a card tree, worked out from its files alone.
std::map<std::string, double> ExpectedMetrics(const fs::path& tree) {
    const fs::path device = tree / "device";
    const fs::path hwmon = HwmonOf(tree);
    std::map<std::string, double> expected;
    auto put = [&](const char* key, std::optional<double> value, double divisor = 1) {
        if (value) expected[key] = *value / divisor;
    };
    auto first = [](std::optional<double> a, std::optional<double> b) { return a ? a : b; };
    put("temperature_edge_c", FileNumber(hwmon / "temp1_input"), 1000.0);
    put("temperature_hotspot_c", FileNumber(hwmon / "temp2_input"), 1000.0);
    put("temperature_memory_c", FileNumber(hwmon / "temp3_input"), 1000.0);
    put("fan_rpm", FileNumber(hwmon / "fan1_input"));
    if (const auto pwm = FileNumber(hwmon / "pwm1")) expected["fan_percent"] = *pwm * 100.0 / 255.0;
    const auto sclkHz = FileNumber(hwmon / "freq1_input");
    put("gpu_clock_mhz", sclkHz ? std::optional(*sclkHz / 1e6) : MarkedClock(device / "pp_dpm_sclk"));
    const auto mclkHz = FileNumber(hwmon / "freq2_input");
    put("memory_clock_mhz", mclkHz ? std::optional(*mclkHz / 1e6) : MarkedClock(device / "pp_dpm_mclk"));
    put("power_w", first(FileNumber(hwmon / "power1_average"), FileNumber(hwmon / "power1_input")), 1e6);
    put("gpu_busy_percent", FileNumber(device / "gpu_busy_percent"));
    put("vram_used_mib", FileNumber(device / "mem_info_vram_used"), 1024.0 * 1024.0);
    put("vram_total_mib", FileNumber(device / "mem_info_vram_total"), 1024.0 * 1024.0);
    return expected;
}

std::map<std::string, double> Numbers(const QJsonObject& object) {
    std::map<std::string, double> numbers;
    for (auto it = object.begin(); it != object.end(); ++it)
        numbers[it.key().toStdString()] = it.value().toDouble();
    return numbers;
}

// The trees the kernel model takes as cards (a capture of one file alone is not a card).
std::vector<fs::path> CardTrees(const fs::path& root) {
    std::vector<fs::path> trees;
    if (!fs::is_directory(root)) return trees;
    for (const auto& entry : fs::directory_iterator(root)) {
        if (fs::exists(entry.path() / "device/uevent") && fs::is_directory(entry.path() / "device/hwmon"))
            trees.push_back(entry.path());
    }
    std::sort(trees.begin(), trees.end());
    return trees;
}

class StatusOnAmdgpu : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(runtime.error(), ""); }

    void Use(amdgpu::Attributes& seam) { runtime.use(seam); }

    StatusOutput Status(amdgpu::Attributes& seam, bool json = true) {
        Use(seam);
        ADLXHelper adlx(TACHYON_AMDGPU_DIR);
        EXPECT_EQ(adlx.StartRuntime(), ADLX_OK) << adlx.LastError();
        StatusOutput output = ReadStatus(adlx, std::nullopt, json);
        adlx.StopRuntime();
        // Every object the status was handed went back exactly once.
        const auto audit = reinterpret_cast<TachyonAmdgpuAudit_Fn>(::dlsym(runtime.handle(), TACHYON_AMDGPU_AUDIT_SYMBOL));
        EXPECT_STREQ(audit(), "live=0 double=0 dead_calls=0");
        return output;
    }

    // The report's GPUs, the document validated as JSON first.
    static QJsonArray Gpus(const StatusOutput& output) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(output.out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError)
            << error.errorString().toStdString() << output.out.constData();
        EXPECT_EQ(document.object().value(QStringLiteral("schema")).toInt(), 1);
        return document.object().value(QStringLiteral("gpus")).toArray();
    }

    // Every card tree of a folder, one model each: the readings against the files.
    void CheckTrees(const std::vector<fs::path>& trees) {
        for (const fs::path& tree : trees) {
            SCOPED_TRACE(tree.string());
            auto model = kernelmodel::KernelModel::FromTrees({tree});
            ASSERT_TRUE(model);
            const StatusOutput output = Status(*model);
            EXPECT_EQ(output.status, kStatusRead) << output.err.constData();
            const QJsonArray gpus = Gpus(output);
            ASSERT_EQ(gpus.size(), 1);
            const QJsonObject gpu = gpus[0].toObject();
            EXPECT_EQ(gpu.value(QStringLiteral("asleep")), QJsonValue(false));
            EXPECT_EQ(Numbers(gpu.value(QStringLiteral("metrics")).toObject()), ExpectedMetrics(tree));
            EXPECT_TRUE(gpu.value(QStringLiteral("unreadable")).toArray().isEmpty());
        }
    }

private:
    AmdgpuModule runtime;
};

TEST_F(StatusOnAmdgpu, EveryCapturedCardReportsWhatItsFilesHold) {
    const std::vector<fs::path> trees = CardTrees(TACHYON_AMDGPU_CAPTURES);
    if (trees.empty())
        GTEST_SKIP() << "no captures at " << TACHYON_AMDGPU_CAPTURES << " (../shared/fixtures/amdgpu)";
    CheckTrees(trees);
}

TEST_F(StatusOnAmdgpu, EveryHandWrittenTreeReportsWhatItsFilesHold) {
    const std::vector<fs::path> trees = CardTrees(TACHYON_AMDGPU_FIXTURES);
    ASSERT_FALSE(trees.empty());
    CheckTrees(trees);
}

TEST_F(StatusOnAmdgpu, TheClocksComeFromTheMarkedLevelsWhereHwmonHasNoneAndTheTuningIsTheWindows) {
    auto model = kernelmodel::KernelModel::FromTrees({std::string(TACHYON_AMDGPU_FIXTURES) + "/navi3x"});
    ASSERT_TRUE(model);
    // Without freq1_input and freq2_input the levels the kernel marks are the clocks.
    model->SetFile(0, "pp_dpm_sclk", "0: 500Mhz\n1: 1803Mhz *\n2: 2655Mhz\n");
    model->SetFile(0, "pp_dpm_mclk", "0: 96Mhz\n1: 1249Mhz *\n");
    const QJsonObject gpu = Gpus(Status(*model))[0].toObject();
    const QJsonObject metrics = gpu.value(QStringLiteral("metrics")).toObject();
    EXPECT_EQ(metrics.value(QStringLiteral("gpu_clock_mhz")).toDouble(), 1803);
    EXPECT_EQ(metrics.value(QStringLiteral("memory_clock_mhz")).toDouble(), 1249);
    EXPECT_EQ(gpu.value(QStringLiteral("overdrive")), QJsonValue(true));
    EXPECT_EQ(gpu.value(QStringLiteral("pci")).toObject().value(QStringLiteral("device")).toString(), "7480");
    const QJsonObject tuning = gpu.value(QStringLiteral("tuning")).toObject();
    for (const char* key : {"gpu_min_clock_mhz", "gpu_max_clock_mhz", "memory_max_clock_mhz",
                            "power_limit_percent", "fan_curve", "zero_rpm"})
        EXPECT_TRUE(tuning.contains(QLatin1StringView(key))) << key;
    // Navi 3x takes only a voltage offset: no voltage is shown, nothing is made up.
    EXPECT_FALSE(tuning.contains(QStringLiteral("voltage_mv")));
    EXPECT_EQ(tuning.value(QStringLiteral("fan_curve")).toArray().size(), 5);
}

TEST_F(StatusOnAmdgpu, AFileThatCannotBeUnderstoodIsNeverANumber) {
    const struct {
        const char* file;  // below the card's device folder
        const char* text;
        const char* key;
    } cases[] = {
        {"hwmon/hwmon7/temp1_input", "hot\n", "temperature_edge_c"},
        {"hwmon/hwmon7/power1_average", "-5000000\n", "power_w"},
        {"hwmon/hwmon7/pwm1", "300\n", "fan_percent"},
        {"hwmon/hwmon7/fan1_input", "12 34\n", "fan_rpm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto model = kernelmodel::KernelModel::FromTrees({std::string(TACHYON_AMDGPU_FIXTURES) + "/navi3x"});
        ASSERT_TRUE(model);
        model->SetFile(0, c.file, c.text);
        const StatusOutput output = Status(*model);
        EXPECT_EQ(output.status, kStatusReadingFailed);
        const QJsonObject gpu = Gpus(output)[0].toObject();
        EXPECT_FALSE(gpu.value(QStringLiteral("metrics")).toObject().contains(QLatin1StringView(c.key)));
        EXPECT_EQ(gpu.value(QStringLiteral("unreadable")).toArray(), QJsonArray{QString::fromLatin1(c.key)});
        EXPECT_NE(output.err.indexOf(QByteArray("GPU 0: ") + c.key + " could not be read\n"), -1)
            << output.err.constData();
        // The other readings are still there.
        EXPECT_TRUE(gpu.value(QStringLiteral("metrics"))
                        .toObject()
                        .contains(QStringLiteral("temperature_hotspot_c")));
    }
}

// A card in runtime suspend beside an awake one: the sleeping card is reported asleep, and not
// one of its sensor or tuning files is read; the awake card is read as ever.
TEST_F(StatusOnAmdgpu, ASleepingCardIsReportedAsleepAndNotRead) {
    auto model = kernelmodel::KernelModel::FromTrees(
        {std::string(TACHYON_AMDGPU_FIXTURES) + "/navi3x", std::string(TACHYON_AMDGPU_FIXTURES) + "/navi2x"});
    ASSERT_TRUE(model);
    model->SetFile(0, "power/runtime_status", "suspended\n");
    model->SetFile(1, "power/runtime_status", "active\n");
    const StatusOutput output = Status(*model);
    EXPECT_EQ(output.status, kStatusRead) << output.err.constData();
    const QJsonArray gpus = Gpus(output);
    ASSERT_EQ(gpus.size(), 2);
    const QJsonObject asleep = gpus[0].toObject();
    EXPECT_EQ(asleep.value(QStringLiteral("asleep")), QJsonValue(true));
    EXPECT_TRUE(asleep.value(QStringLiteral("metrics")).toObject().isEmpty());
    EXPECT_TRUE(asleep.value(QStringLiteral("tuning")).toObject().isEmpty());
    EXPECT_FALSE(asleep.contains(QStringLiteral("overdrive")));
    EXPECT_EQ(asleep.value(QStringLiteral("name")).toString(), "AMD Radeon Graphics [1002:7480]");
    EXPECT_EQ(gpus[1].toObject().value(QStringLiteral("asleep")), QJsonValue(false));
    EXPECT_FALSE(gpus[1].toObject().value(QStringLiteral("metrics")).toObject().isEmpty());

    for (const auto& [path, count] : model->ReadCounts()) {
        if (path.rfind(kernelmodel::KernelModel::DevicePath(0, ""), 0) != 0) continue;
        for (const char* woken :
             {"/hwmon/", "/pp_", "/gpu_busy_percent", "/mem_info_", "/gpu_od/", "/power_dpm_"})
            EXPECT_EQ(path.find(woken), std::string::npos) << path << " was read on the sleeping card";
    }

    // Text for people says so too.
    const StatusOutput text = Status(*model, false);
    EXPECT_NE(text.out.indexOf("GPU 0: AMD Radeon Graphics [1002:7480] - Primary\n"), -1)
        << text.out.constData();
    EXPECT_NE(text.out.indexOf("  Power state:           asleep (not woken to be read)\n"), -1)
        << text.out.constData();
}

// The runtime keeps the rule itself: a Get on a sleeping card, or on one whose power state cannot
// be understood, refuses without reading the sensor.
TEST_F(StatusOnAmdgpu, TheRuntimeReadsNoSensorOfACardItCannotSeeAwake) {
    for (const char* state : {"suspended\n", "suspending\n", "garbage\n"}) {
        SCOPED_TRACE(state);
        auto model = kernelmodel::KernelModel::FromTrees({std::string(TACHYON_AMDGPU_FIXTURES) + "/navi3x"});
        ASSERT_TRUE(model);
        model->SetFile(0, "power/runtime_status", state);
        Use(*model);
        ADLXHelper adlx(TACHYON_AMDGPU_DIR);
        ASSERT_EQ(adlx.StartRuntime(), ADLX_OK);
        {
            adlx::InterfacePtr<IADLXGPUList> list;
            adlx::InterfacePtr<IADLXGPU> gpu;
            adlx::InterfacePtr<IADLXGPUMetricsServices> services;
            adlx::InterfacePtr<IADLXGPUMetrics> metrics;
            ASSERT_EQ(adlx.SystemServices()->GetGPUs(list.put()), ADLX_OK);
            ASSERT_EQ(list->At(0, gpu.put()), ADLX_OK);
            ASSERT_EQ(adlx.SystemServices()->GetGPUMetricsServices(services.put()), ADLX_OK);
            ASSERT_EQ(services->GetGPUMetrics(gpu.get(), metrics.put()), ADLX_OK);
            adlx_bool asleep = false;
            EXPECT_EQ(metrics->IsAsleep(&asleep), std::string(state) == "garbage\n" ? ADLX_FAIL : ADLX_OK);
            adlx_bool supported = false;
            EXPECT_EQ(metrics->IsSupportedTemperature(&supported), ADLX_OK);
            EXPECT_TRUE(supported) << "the question is answered from the folder's listing";
            adlx_double celsius = -1;
            EXPECT_EQ(metrics->GetTemperature(&celsius), ADLX_FAIL);
            EXPECT_EQ(celsius, -1);
            EXPECT_EQ(model->ReadCount(model->HwmonPath(0, "temp1_input")), 0);
        }
        adlx.StopRuntime();
    }
}

}  // namespace
