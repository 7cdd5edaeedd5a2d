// SPDX-License-Identifier: GPL-3.0-or-later
#include "AmdgpuWindowTest.h"

#include <dlfcn.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <cstdlib>

#include "AttributesControl.h"
#include "device/ADLXHelper.h"
#include "ui/CMyTabCtrl.h"

std::filesystem::path FixtureTree(const std::string& name) {
    return std::filesystem::path(TACHYON_AMDGPU_FIXTURES) / name;
}

std::filesystem::path CaptureTree(const std::string& name) {
    return std::filesystem::path(TACHYON_AMDGPU_CAPTURES) / name;
}

std::string NoCapture(const std::filesystem::path& tree) {
    return "no real-card capture at " + tree.string() + " (the captures live beside the project)";
}

AmdgpuRuntime& AmdgpuRuntime::Instance() {
    static AmdgpuRuntime runtime;
    return runtime;
}

AmdgpuRuntime::AmdgpuRuntime() {
    // The names come from the tests' own lists, not from whatever libdrm and pci.ids this machine has.
    setenv("TACHYON_AMDGPU_IDS", (std::string(TACHYON_AMDGPU_FIXTURES) + "/amdgpu.ids").c_str(), 1);
    setenv("TACHYON_PCI_IDS", (std::string(TACHYON_AMDGPU_FIXTURES) + "/pci.ids").c_str(), 1);
    const std::string path = ADLXHelper::ExecutableFolder() + "/" ADLX_RUNTIME_LIBRARY;
    m_module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_module == nullptr) {
        ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
        return;
    }
    m_use = reinterpret_cast<TachyonAmdgpuUseAttributes_Fn>(
        dlsym(m_module, TACHYON_AMDGPU_USE_ATTRIBUTES_SYMBOL));
    m_audit = reinterpret_cast<const char* (*)()>(dlsym(m_module, "TachyonAmdgpuAudit"));
    if (m_use == nullptr) ADD_FAILURE() << path << " is not the amdgpu runtime";
}

void AmdgpuRuntime::Use(amdgpu::Attributes* attributes) {
    if (m_use != nullptr) m_use(attributes);
}

std::string AmdgpuRuntime::Audit() { return m_audit != nullptr ? m_audit() : std::string(); }

AmdgpuWindowTest::AmdgpuWindowTest() = default;
AmdgpuWindowTest::~AmdgpuWindowTest() = default;

CTachyonDlg& AmdgpuWindowTest::Start(const std::vector<std::filesystem::path>& trees) {
    std::string error;
    m_model = kernelmodel::KernelModel::FromTrees(trees, &error);
    if (!m_model) {
        ADD_FAILURE() << error;
        m_model = std::make_unique<kernelmodel::KernelModel>();
    }
    m_front = front ? front(*m_model) : nullptr;
    AmdgpuRuntime::Instance().Use(m_front ? m_front.get() : m_model.get());
    m_adlx = std::make_unique<ADLXHelper>();
    EXPECT_EQ(m_adlx->StartRuntime(), ADLX_OK) << m_adlx->LastError();
    m_dialog = std::make_unique<CTachyonDlg>(*m_adlx, prompts);
    m_dialog->OnInitDialog();
    return *m_dialog;
}

void AmdgpuWindowTest::TearDown() {
    m_dialog.reset();
    if (m_adlx) m_adlx->StopRuntime();
    m_adlx.reset();
    const std::string audit = AmdgpuRuntime::Instance().Audit();
    if (!audit.empty()) {
        EXPECT_EQ(audit, "live=0 double=0 dead_calls=0");
    }
    AmdgpuRuntime::Instance().Use(nullptr);
    m_front.reset();
    m_model.reset();
}

QString AmdgpuWindowTest::Text(int page, int id) {
    QWidget* control = Dlg().Control(page, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
    ADD_FAILURE() << "no edit or list " << id << " on page " << page;
    return {};
}

void AmdgpuWindowTest::SetText(int page, int id, const QString& text) { Dlg().Edit(page, id)->setText(text); }

bool AmdgpuWindowTest::Checked(int page, int id) { return Dlg().CheckBox(page, id)->isChecked(); }

void AmdgpuWindowTest::SetChecked(int page, int id, bool checked) {
    Dlg().CheckBox(page, id)->setChecked(checked);
}

bool AmdgpuWindowTest::Enabled(int page, int id) { return Dlg().Control(page, id)->isEnabled(); }

QStringList AmdgpuWindowTest::GpuList() {
    QStringList items;
    auto* combo = qobject_cast<QComboBox*>(Dlg().MainControl(1000));
    for (int i = 0; combo != nullptr && i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

void AmdgpuWindowTest::Select(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void AmdgpuWindowTest::SelectGpu(int index) {
    Select(qobject_cast<QComboBox*>(Dlg().MainControl(1000)), index);
}

void AmdgpuWindowTest::Press(int id) {
    auto* button = qobject_cast<QAbstractButton*>(Dlg().MainControl(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

void AmdgpuWindowTest::ShowPage(int page) {
    QTabBar* bar = Dlg().TabCtrl()->TabBar();
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
}
