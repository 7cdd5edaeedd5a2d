// SPDX-License-Identifier: GPL-3.0-or-later
// Every kernel file the amdgpu runtime reads, writes or lists, broken one at a time, under every
// command path of the real program: the window must neither crash nor call through a released
// object, the runtime's audit must be clean once the window is gone, and a refused write must not
// be shown as taken: what the pages show is what the kernel holds, and the card runs what it
// shows.
//
// The operations are not listed by hand: they are recorded from a clean run of every path on each
// family's tree, and from the broken runs themselves (a failure can open a road the clean run
// never takes), so the sweep follows the runtime as it grows.

#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "AmdgpuWindowTest.h"
#include "device/ADLXHelper.h"
#include "CrashReport.h"
#include "ui/CMyTabCtrl.h"

using kernelmodel::KernelModel;

namespace {

// ---- the broken kernel -----------------------------------------------------------------------

// An operation of the runtime on one file or folder: "read <path>", "write <path>", "list <dir>".
using Operation = std::string;

// How an answer is broken. A damaged read succeeds with text the kernel never prints: cut off in
// the middle (a card that went away mid-read), or with a NUL byte in it.
enum class Damage { None, Truncated, Nul };

struct Fault {
    Operation operation;
    int error = 0;
    Damage damage = Damage::None;
    bool Refuses() const { return operation.rfind("write ", 0) == 0; }
    std::string Name() const {
        if (damage == Damage::Truncated) return operation + " truncated";
        if (damage == Damage::Nul) return operation + " with a NUL byte";
        return operation + " " + strerrorname_np(error);
    }
};

// The kernel model behind the runtime's seam, with one fault that can be switched on and off, and
// a record of every operation.
class BrokenKernel : public amdgpu::Attributes {
public:
    explicit BrokenKernel(KernelModel& model) : m_model(model) {}

    void Break(const Fault& fault) { m_fault = fault; }
    void Arm(bool armed) { m_armed = armed; }
    bool Bitten() const { return m_bites > 0; }
    std::vector<Operation> TakeOperations() { return std::exchange(m_operations, {}); }

    amdgpu::ReadResult read(const std::string& path) override {
        const Fault* fault = Hit("read " + path);
        if (fault != nullptr && fault->damage == Damage::None) return {fault->error, {}};
        amdgpu::ReadResult r = m_model.read(path);
        if (fault == nullptr || r.error != 0) return r;
        if (fault->damage == Damage::Truncated) r.text.resize(r.text.size() / 2);
        if (fault->damage == Damage::Nul && !r.text.empty()) r.text[r.text.size() / 2] = '\0';
        return r;
    }
    int write(const std::string& path, std::string_view command) override {
        const Fault* fault = Hit("write " + path + " " + Command(command));
        return fault != nullptr ? fault->error : m_model.write(path, command);
    }
    // The render-node wake reaches the model; a read broken with EPERM stays broken after it.
    int wake(const std::string& device) override { return m_model.wake(device); }
    int list(const std::string& dir, std::vector<std::string>& names) override {
        const Fault* fault = Hit("list " + dir);
        if (fault == nullptr) return m_model.list(dir, names);
        names.clear();
        return fault->error;
    }

private:
    // A write is told by its command word (`s`, `m`, `c`, `r`, `manual`, a fan curve point, a
    // switch's 0 or 1), so an edit the kernel takes can meet a commit it refuses. A value of
    // several digits (a power cap) is one operation whatever the number.
    static std::string Command(std::string_view command) {
        std::string word(command.substr(0, command.find_first_of(" \n")));
        const bool number = !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
        return number && word.size() > 1 ? "<n>" : word;
    }

    const Fault* Hit(const Operation& operation) {
        m_operations.push_back(operation);
        if (!m_armed || !m_fault || m_fault->operation != operation) return nullptr;
        ++m_bites;
        return &*m_fault;
    }

    KernelModel& m_model;
    std::optional<Fault> m_fault;
    bool m_armed = false;
    int m_bites = 0;
    std::vector<Operation> m_operations;
};

// ---- the cards and what the user types -------------------------------------------------------

using Values = std::vector<std::pair<int, std::string>>;

const std::vector<int> kTuningEdits = {1007, 1008, 1010, 1011, 1012};
const std::vector<int> kFanEdits = {1023, 1025, 1027, 1029, 1031, 1024, 1026, 1028, 1030, 1032};
constexpr int kZeroRpm = 1035;

struct Family {
    const char* tree;
    Values tuning;                 // typed before Set on the Tuning page: within the kernel's ranges
    Values boot;                   // typed before "+": the values the tree boots with
    std::vector<std::string> fan;  // typed before Set on the Fan page (speeds, then temperatures)
};

const std::vector<Family>& Families() {
    static const std::vector<Family> families = {
        {"polaris",
         {{1007, "350"}, {1008, "1340"}, {1011, "1150"}, {1010, "2000"}, {1012, "90"}},
         {{1007, "300"}, {1008, "1284"}, {1011, "1125"}, {1010, "1750"}, {1012, "100"}},
         {}},
        {"navi1x",
         {{1007, "900"}, {1008, "1850"}, {1011, "1050"}, {1010, "850"}, {1012, "115"}},
         {{1007, "800"}, {1008, "1750"}, {1011, "1020"}, {1010, "750"}, {1012, "100"}},
         {}},
        {"navi1x-nocurve",
         {{1007, "900"}, {1008, "1900"}, {1010, "900"}, {1012, "110"}},
         {{1007, "700"}, {1008, "1845"}, {1010, "875"}, {1012, "100"}},
         {}},
        {"vega20",
         {{1007, "900"}, {1008, "1900"}, {1011, "1110"}, {1010, "1100"}, {1012, "110"}},
         {{1007, "808"}, {1008, "1801"}, {1011, "1103"}, {1010, "1000"}, {1012, "100"}},
         {}},
        {"navi2x",
         {{1007, "700"}, {1008, "2650"}, {1010, "1100"}, {1012, "108"}},
         {{1007, "500"}, {1008, "2581"}, {1010, "1000"}, {1012, "100"}},
         {}},
        // A minimum above the current maximum: the maximum goes first.
        {"navi3x",
         {{1007, "2800"}, {1008, "2900"}, {1010, "1200"}, {1012, "105"}},
         {{1007, "500"}, {1008, "2655"}, {1010, "1124"}, {1012, "100"}},
         {"20", "30", "50", "70", "100", "40", "50", "65", "75", "90"}},
        {"rdna4",
         {{1010, "1350"}, {1012, "110"}},
         {{1010, "1218"}, {1012, "100"}},
         {"25", "35", "50", "70", "90", "30", "40", "55", "70", "85"}},
        {"apu", {{1008, "2000"}, {1011, "900"}}, {{1007, "400"}, {1008, "2200"}}, {}},
        {"overdrive-off", {{1012, "90"}}, {{1012, "100"}}, {}},
    };
    return families;
}

// What the window shows of the card on the Tuning and the Fan page.
using Shown = std::map<std::string, std::string>;

enum Pages { kNoPage = 0, kTuningShown = 1, kFanShown = 2, kBothShown = 3 };

class FaultSweep;

std::string Joined(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& w : words) joined += (joined.empty() ? "" : " ") + w;
    return joined;
}

// One thing the user does. `reads`: the pages the path reads back from the card afterwards.
struct CommandPath {
    const char* name;
    void (*run)(FaultSweep& test);
    int reads;
};

struct Finding {
    std::string fault;
    std::string path;
    std::string detail;
};

class FaultSweep : public ::testing::Test {
public:
    CTachyonDlg& Dlg() { return *m_dialog; }
    ScriptedPrompts& Prompter() { return *m_prompts; }
    QString ProfilePath() const { return m_files.filePath("tune.xml"); }
    // The family of the card the window has chosen: its position in the GPU list is its card,
    // unless a fault took a card off the list (then the values typed may be out of range, which
    // is one more refusal the window must survive).
    const Family& Chosen() {
        auto* gpus = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
        const int position = gpus != nullptr && gpus->currentIndex() > 0 ? 1 : 0;
        return *m_cards[static_cast<std::size_t>(position)];
    }

    void ShowPage(int page) { Dlg().TabCtrl()->OnLButtonDown(page); }
    void Press(int id) {
        if (auto* button = qobject_cast<QAbstractButton*>(Dlg().MainControl(id))) button->click();
    }
    // Types into the edits the user can reach: a disabled one takes nothing.
    void Type(int page, const Values& values) {
        for (const auto& [id, text] : values) {
            QLineEdit* edit = Dlg().Edit(page, id);
            if (edit != nullptr && edit->isEnabled()) edit->setText(QString::fromStdString(text));
        }
    }
    void Choose(QComboBox* list, int position) {
        if (list == nullptr || list->count() == 0) return;
        list->setCurrentIndex(position);
        emit list->activated(list->currentIndex());
    }
    // The fan curve as the Fan page shows it: speeds, then temperatures.
    std::vector<std::string> Curve() {
        std::vector<std::string> curve;
        for (int id : kFanEdits) {
            if (QLineEdit* edit = Dlg().Edit(kFanPage, id)) curve.push_back(edit->text().toStdString());
        }
        return curve;
    }
    // The curve the user asked for on the path that ran, if it asked for one.
    std::optional<std::vector<std::string>> curveTyped;

    // Another entry than the current one where the list has one, so the change is a real one.
    static int Other(QComboBox* list) {
        return list != nullptr && list->count() > 1 && list->currentIndex() == 0 ? 1 : 0;
    }

protected:
    static const std::vector<CommandPath>& Paths();

    // Two cards: the family's tree and the next family's, so a GPU change crosses generations.
    void Open(std::size_t family, const Fault* fault, bool fromStart) {
        const auto& families = Families();
        m_cards = {&families[family], &families[(family + 1) % families.size()]};
        std::string error;
        m_model =
            KernelModel::FromTrees({FixtureTree(m_cards[0]->tree), FixtureTree(m_cards[1]->tree)}, &error);
        ASSERT_NE(m_model, nullptr) << error;
        m_kernel = std::make_unique<BrokenKernel>(*m_model);
        if (fault != nullptr) m_kernel->Break(*fault);
        m_kernel->Arm(fault != nullptr && fromStart);
        AmdgpuRuntime::Instance().Use(m_kernel.get());
        m_adlx = std::make_unique<ADLXHelper>();
        m_adlx->StartRuntime();
        m_prompts = std::make_unique<ScriptedPrompts>();
        // Load reads only what this run saved.
        QFile::remove(ProfilePath());
        m_dialog = std::make_unique<CTachyonDlg>(*m_adlx, *m_prompts);
        m_dialog->OnInitDialog();
    }

    std::string Close() {
        m_dialog.reset();
        m_prompts.reset();
        if (m_adlx) m_adlx->StopRuntime();
        m_adlx.reset();
        const std::string audit = AmdgpuRuntime::Instance().Audit();
        AmdgpuRuntime::Instance().Use(nullptr);
        m_kernel.reset();
        m_model.reset();
        return audit;
    }

    void TearDown() override { Close(); }

    Shown Show(int pages) {
        Shown shown;
        auto text = [&](int page, int id) {
            if (QLineEdit* edit = Dlg().Edit(page, id))
                shown[std::to_string(id)] = edit->text().toStdString();
        };
        if (pages & kTuningShown) {
            for (int id : kTuningEdits) text(kTuningPage, id);
        }
        if (pages & kFanShown) {
            for (int id : kFanEdits) text(kFanPage, id);
            if (QCheckBox* box = Dlg().CheckBox(kFanPage, kZeroRpm))
                shown[std::to_string(kZeroRpm)] = box->isChecked() ? "on" : "off";
        }
        return shown;
    }

    // Whatever failed, the card runs what the kernel shows: no value is left staged without its
    // commit (a read-back would show it as taken).
    void CheckCardRunsWhatItShows(const std::string& label, const std::string& path) {
        for (int card = 0; card < m_model->CardCount(); ++card) {
            if (m_model->Uncommitted(card))
                m_findings.push_back(
                    {label, path, "card" + std::to_string(card) + " left with uncommitted values"});
        }
    }

    // After a refused write: what the pages show must be what the kernel holds, i.e. what the
    // window reads once the fault is gone.
    void CheckShownIsHeld(const std::string& label, const std::string& path, int pages) {
        if (pages == kNoPage) return;
        const Shown before = Show(pages);
        m_kernel->Arm(false);
        auto* gpus = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
        if (gpus != nullptr && gpus->count() > 0) Choose(gpus, gpus->currentIndex());
        const Shown held = Show(pages);
        // One call sets the whole curve: a refusal half-way must not leave the card on a mix of
        // the curve it ran and the one asked for, neither of which the user then sees.
        if (curveTyped && (pages & kFanShown) && Curve() != m_curveBefore && Curve() != *curveTyped)
            m_findings.push_back({label, path, "the card runs a fan curve nobody chose: " + Joined(Curve())});
        m_kernel->Arm(true);
        for (const auto& [id, text] : before) {
            const auto it = held.find(id);
            if (it != held.end() && it->second != text)
                m_findings.push_back(
                    {label, path, id + " shows " + text + " where the kernel holds " + it->second});
        }
    }

    void CheckAudit(const std::string& label, const std::string& path, bool closed) {
        const std::string audit = AmdgpuRuntime::Instance().Audit();
        const bool clean = closed ? audit == "live=0 double=0 dead_calls=0"
                                  : audit.find(" double=0 dead_calls=0") != std::string::npos;
        if (!clean) m_findings.push_back({label, path, audit});
    }

    // Start-up, then every path on the first card and again on the second, then the window
    // destroyed. The fault is there from the start, or arrives once the window is up. Returns
    // the operations of the run with the paths they came under.
    std::vector<std::pair<std::string, Operation>> RunAll(std::size_t family, const Fault* fault,
                                                          bool fromStart) {
        std::vector<std::pair<std::string, Operation>> all;
        const std::string label = std::string(Families()[family].tree) + ": " +
                                  (fault != nullptr ? fault->Name() : std::string("no fault")) +
                                  (fromStart ? "" : " (after start-up)");
        CrashReport::Running(label);
        Open(family, fault, fromStart);
        if (m_dialog == nullptr) return all;
        auto take = [&](const std::string& path, int reads) {
            for (Operation& op : m_kernel->TakeOperations()) all.emplace_back(path, std::move(op));
            CheckAudit(label, path, false);
            CheckCardRunsWhatItShows(label, path);
            if (fault != nullptr && fault->Refuses()) CheckShownIsHeld(label, path, reads);
            m_kernel->TakeOperations();
        };
        take("start-up", kBothShown);
        if (fault != nullptr && !fromStart) m_kernel->Arm(true);
        for (const char* gpu : {"", " (second GPU)"}) {
            for (const CommandPath& path : Paths()) {
                m_curveBefore = Curve();
                curveTyped.reset();
                path.run(*this);
                take(path.name + std::string(gpu), path.reads);
            }
        }
        for (Operation& op : m_kernel->TakeOperations()) all.emplace_back("window closed", std::move(op));
        m_bitten = m_kernel->Bitten();
        Close();
        CheckAudit(label, "window closed", true);
        return all;
    }

    std::vector<const Family*> m_cards;
    std::unique_ptr<KernelModel> m_model;
    std::unique_ptr<BrokenKernel> m_kernel;
    std::unique_ptr<ADLXHelper> m_adlx;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<CTachyonDlg> m_dialog;
    QTemporaryDir m_files;
    std::vector<Finding> m_findings;
    bool m_bitten = false;
    std::vector<std::string> m_curveBefore;
};

void SetOnTuning(FaultSweep& t) {
    t.ShowPage(kTuningPage);
    t.Type(kTuningPage, t.Chosen().tuning);
    t.Press(1002);
}

void SetOnFan(FaultSweep& t) {
    t.ShowPage(kFanPage);
    const std::vector<std::string>& fan = t.Chosen().fan;
    Values typed;
    for (std::size_t i = 0; i < fan.size(); ++i) typed.push_back({kFanEdits[i], fan[i]});
    t.Type(kFanPage, typed);
    if (!fan.empty() && t.Dlg().Edit(kFanPage, kFanEdits[0])->isEnabled()) t.curveTyped = fan;
    if (QCheckBox* box = t.Dlg().CheckBox(kFanPage, kZeroRpm); box != nullptr && box->isEnabled())
        box->setChecked(!box->isChecked());
    t.Press(1002);
}

const std::vector<CommandPath>& FaultSweep::Paths() {
    static const std::vector<CommandPath> paths = {
        {"Set on Tuning", SetOnTuning, kTuningShown},
        {"Set on Fan", SetOnFan, kFanShown},
        {"Save",
         [](FaultSweep& t) {
             t.Prompter().saveFiles.push_back(t.ProfilePath());
             t.Press(1005);
         },
         kNoPage},
        // Back to the boot values on the Tuning page; the Fan page goes again as it shows.
        {"+",
         [](FaultSweep& t) {
             t.Type(kTuningPage, t.Chosen().boot);
             t.Press(1006);
         },
         kBothShown},
        {"Reset", [](FaultSweep& t) { t.Press(1003); }, kBothShown},
        // Fills the pages with the saved values; nothing is written until the next Set.
        {"Load",
         [](FaultSweep& t) {
             t.Prompter().openFiles.push_back(t.ProfilePath());
             t.Press(1004);
         },
         kNoPage},
        {"display change",
         [](FaultSweep& t) {
             QComboBox* displays = t.Dlg().Combo(kDisplayPage, 1087);
             t.Choose(displays, FaultSweep::Other(displays));
         },
         kNoPage},
        // Last, so the paths above run on one card before they run again on the other.
        {"GPU change",
         [](FaultSweep& t) {
             auto* gpus = qobject_cast<QComboBox*>(t.Dlg().MainControl(1000));
             t.Choose(gpus, FaultSweep::Other(gpus));
         },
         kBothShown},
    };
    return paths;
}

// The faults of one operation: a read fails (the file is gone, the card errs, stays asleep after
// the wake, or is in a reset) or answers damaged text, a write is refused, a folder is gone.
std::vector<Fault> FaultsOf(const Operation& operation) {
    if (operation.rfind("read ", 0) == 0) {
        std::vector<Fault> faults = {{operation, ENOENT}, {operation, EIO}, {operation, EPERM}, {operation, EBUSY}};
        // An EDID is bytes, not text: its damage is the display tests' business.
        if (!operation.ends_with("/edid")) {
            faults.push_back({operation, 0, Damage::Truncated});
            faults.push_back({operation, 0, Damage::Nul});
        }
        return faults;
    }
    if (operation.rfind("write ", 0) == 0) return {{operation, EINVAL}, {operation, EIO}, {operation, EPERM}};
    return {{operation, ENOENT}};
}

// The second card's files are the first card's in the next family's run.
bool OfSecondCard(const Operation& operation) {
    const std::string path = operation.substr(operation.find(' ') + 1);
    return path.rfind("class/drm/card1", 0) == 0 || path.rfind("class/drm/renderD129", 0) == 0;
}

}  // namespace

TEST_F(FaultSweep, NoBrokenKernelFileCrashesLeaksOrShowsARefusalAsTaken) {
    CrashReport crashReport("kernel fault");
    std::size_t faults = 0;
    std::size_t runs = 0;
    std::vector<std::string> toothless;
    for (std::size_t family = 0; family < Families().size(); ++family) {
        // Every operation met so far in a run of this family, and the faults still to run.
        std::set<Operation> known;
        std::vector<Fault> queue;
        auto discover = [&](const std::vector<std::pair<std::string, Operation>>& operations) {
            for (const auto& [path, operation] : operations) {
                if (OfSecondCard(operation) || !known.insert(operation).second) continue;
                for (const Fault& f : FaultsOf(operation)) queue.push_back(f);
            }
        };
        const std::size_t before = m_findings.size();
        discover(RunAll(family, nullptr, true));
        ASSERT_EQ(m_findings.size(), before)
            << "the clean run already fails: " << m_findings.back().path << " | " << m_findings.back().detail;
        const std::set<Operation> clean = known;
        for (const char* expected : {"list class/drm", "read class/drm/card0/device/pp_od_clk_voltage",
                                     "write class/drm/card0/device/pp_od_clk_voltage c"}) {
            if (std::string(Families()[family].tree) == "overdrive-off" &&
                std::string(expected).find("voltage") != std::string::npos)
                continue;
            EXPECT_TRUE(clean.count(expected))
                << Families()[family].tree << ": " << expected << " never recorded";
        }

        for (std::size_t i = 0; i < queue.size(); ++i) {
            const Fault fault = queue[i];  // the queue grows while it is worked through
            for (const bool fromStart : {true, false}) {
                const auto operations = RunAll(family, &fault, fromStart);
                ++runs;
                if (fromStart && clean.count(fault.operation) != 0 && !m_bitten)
                    toothless.push_back(std::string(Families()[family].tree) + ": " + fault.Name());
                discover(operations);
            }
        }
        faults += queue.size();
    }

    const std::size_t pathRuns = 2 * Paths().size() + 1;
    std::set<std::string> failedRuns;
    for (const Finding& f : m_findings) failedRuns.insert(f.fault + " | " + f.path);
    std::printf(
        "[ figures  ] amdgpu fault sweep: %zu faults x 2 arrivals x %zu path runs (%zu paths on each "
        "of two cards, start-up; %zu families) = %zu runs, %zu failures\n",
        faults, pathRuns, Paths().size(), Families().size(), runs * pathRuns, failedRuns.size());

    std::ostringstream report;
    std::map<std::string, int> shown;
    for (const Finding& f : m_findings) {
        if (++shown[f.fault] > 3) continue;
        report << "\n  " << f.fault << " | " << f.path << " | " << f.detail;
    }
    EXPECT_TRUE(m_findings.empty()) << m_findings.size() << " findings in " << failedRuns.size()
                                    << " runs:" << report.str();
    // A fault met in the clean run that never changed an answer proves nothing.
    EXPECT_EQ(toothless, std::vector<std::string>{}) << "injected but never bit";
}

namespace {

class RefusedFanCurve : public AmdgpuWindowTest {};

// RDNA3 with no custom curve: a refused curve is given back with the fan curve's `r`, which
// commits; the kernel may drop the power cap with that commit, so the cap chosen on the Tuning
// page is written again, as after any commit.
TEST_F(RefusedFanCurve, Rdna3KeepsTheChosenPowerCapWhenTheCurveIsGivenBack) {
    const std::filesystem::path tree = CaptureTree("rx7800xt");
    if (!std::filesystem::is_directory(tree)) GTEST_SKIP() << NoCapture(tree);
    Start({tree});
    SetText(kTuningPage, 1012, "110");
    Press(1002);
    const std::string cap = Model().read(Model().HwmonPath(0, "power1_cap")).text;
    ShowPage(kFanPage);
    const std::vector<std::string> curve = {"35", "45", "60", "80", "100", "30", "45", "60", "75", "90"};
    for (std::size_t i = 0; i < curve.size(); ++i)
        SetText(kFanPage, kFanEdits[i], QString::fromStdString(curve[i]));
    Model().ClearWrites();
    Model().FailNextWrite(EIO, "fan_curve");
    Press(1002);

    std::vector<std::string> written;
    for (const auto& w : Model().Writes())
        written.push_back(w.path.substr(w.path.find("device/") + 7) + ": " + w.bytes);
    EXPECT_EQ(written, (std::vector<std::string>{"gpu_od/fan_ctrl/fan_curve: 0 30 35\n",
                                                 "gpu_od/fan_ctrl/fan_curve: r\n",
                                                 "hwmon/hwmon4/power1_cap: 260000000\n"}));
    EXPECT_EQ(Model().read(Model().HwmonPath(0, "power1_cap")).text, cap);
    EXPECT_FALSE(Model().Uncommitted(0));
    for (int id : kFanEdits) EXPECT_EQ(Text(kFanPage, id), "0") << id;
}

}  // namespace
