// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window on the amdgpu runtime over a kernel model: the runtime beside the test binary is
// started through the program's own loader, the model stands in for the kernel's files, and the
// window is built and set up exactly as the program does. At the end of each test the window is
// closed, the runtime stopped, and its reference audit must be clean.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "KernelModel.h"
#include "ScriptedPrompts.h"
#include "TempHome.h"
#include "ui/CTachyonDlg.h"

class ADLXHelper;
class QComboBox;

// The hand-written trees, and the real captures beside the project (which a clone may lack).
std::filesystem::path FixtureTree(const std::string& name);
std::filesystem::path CaptureTree(const std::string& name);
// Why a test of a tree that is not there is skipped.
std::string NoCapture(const std::filesystem::path& tree);

// The amdgpu runtime beside the test binary, loaded once for the whole process.
class AmdgpuRuntime {
public:
    static AmdgpuRuntime& Instance();
    // Puts the model in place of the kernel's files; cards are found again at the next start.
    void Use(amdgpu::Attributes* attributes);
    std::string Audit();

private:
    AmdgpuRuntime();
    void* m_module = nullptr;
    void (*m_use)(amdgpu::Attributes*) = nullptr;
    const char* (*m_audit)() = nullptr;
};

class AmdgpuWindowTest : public ::testing::Test {
protected:
    AmdgpuWindowTest();
    ~AmdgpuWindowTest() override;
    void TearDown() override;

    // The model of the trees (card0, card1, ... in order), the runtime over it, the window set up.
    CTachyonDlg& Start(const std::vector<std::filesystem::path>& trees);
    kernelmodel::KernelModel& Model() { return *m_model; }
    CTachyonDlg& Dlg() { return *m_dialog; }

    QString Text(int page, int id);
    void SetText(int page, int id, const QString& text);
    bool Checked(int page, int id);
    void SetChecked(int page, int id, bool checked);
    bool Enabled(int page, int id);
    QStringList GpuList();
    // Chooses an entry of a drop-down as the user does: the program hears `activated`.
    void Select(QComboBox* combo, int index);
    // The GPU drop-down of the main window.
    void SelectGpu(int index);
    // Set 1002, Reset 1003 of the main window.
    void Press(int id);
    void ShowPage(int page);

    ScriptedPrompts prompts;
    // The user's Mesa settings the Graphics page reads and writes: never the real user's.
    TempHome home;
    // When set before Start: what the runtime sees in front of the model (e.g. the privileged seam
    // over files that refuse a user's writes).
    std::function<std::unique_ptr<amdgpu::Attributes>(amdgpu::Attributes& model)> front;

private:
    std::unique_ptr<amdgpu::Attributes> m_front;
    std::unique_ptr<kernelmodel::KernelModel> m_model;
    std::unique_ptr<ADLXHelper> m_adlx;
    std::unique_ptr<CTachyonDlg> m_dialog;
};
