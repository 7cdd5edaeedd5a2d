// SPDX-License-Identifier: GPL-3.0-or-later
#include "TachyonTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include "device/ADLXHelper.h"
#include "ui/CMyTabCtrl.h"
#include "ui/DialogPage.h"

ADLXHelper& TachyonTest::Runtime() {
    static ADLXHelper* helper = [] {
        auto* h = new ADLXHelper;  // lives for the whole test process, like the program's own
        const ADLX_RESULT result = h->StartRuntime();
        EXPECT_EQ(result, ADLX_OK) << h->LastError();
        return h;
    }();
    return *helper;
}

CTachyonDlg& TachyonTest::Start(const std::string& scenarioJson) {
    Runtime();
    m_dialog.reset();
    Sim().LoadScenario(scenarioJson);
    Sim().ClearFaults();
    Sim().Control("audit.reset");
    m_dialog = std::make_unique<CTachyonDlg>(Runtime(), prompts);
    m_dialog->OnInitDialog();
    return *m_dialog;
}

void TachyonTest::CloseWindow() { m_dialog.reset(); }

void TachyonTest::TearDown() {
    if (!m_dialog) return;
    CloseWindow();
    const SimAudit audit = Sim().Audit();
    EXPECT_EQ(audit.live, 0) << "leaked interfaces: " << audit.text;
    EXPECT_EQ(audit.doubleReleases, 0) << "doubly released interfaces: " << audit.text;
    EXPECT_EQ(audit.deadCalls, 0) << "calls on released interfaces: " << audit.text;
}

QString TachyonTest::Text(int page, int id) {
    QWidget* control = Dlg().Control(page, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    ADD_FAILURE() << "no control " << id << " on page " << page;
    return {};
}

void TachyonTest::SetText(int page, int id, const QString& text) { Dlg().Edit(page, id)->setText(text); }

bool TachyonTest::Checked(int page, int id) { return Dlg().CheckBox(page, id)->isChecked(); }

void TachyonTest::SetChecked(int page, int id, bool checked) { Dlg().CheckBox(page, id)->setChecked(checked); }

void TachyonTest::Click(int page, int id) {
    auto* button = qobject_cast<QAbstractButton*>(Dlg().Control(page, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

bool TachyonTest::Enabled(int page, int id) { return Dlg().Control(page, id)->isEnabled(); }

bool TachyonTest::Visible(int page, int id) { return !Dlg().Control(page, id)->isHidden(); }

QStringList TachyonTest::Items(int page, int id) {
    QStringList items;
    QComboBox* combo = Dlg().Combo(page, id);
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

QString TachyonTest::Selected(int page, int id) {
    QComboBox* combo = Dlg().Combo(page, id);
    return combo->currentIndex() >= 0 ? combo->currentText() : QString();
}

int TachyonTest::Selection(int page, int id) { return Dlg().Combo(page, id)->currentIndex(); }

void TachyonTest::Choose(int page, int id, int position) {
    QComboBox* combo = Dlg().Combo(page, id);
    combo->setCurrentIndex(position);
    emit combo->activated(position);
}

void TachyonTest::Press(int id) {
    auto* button = qobject_cast<QAbstractButton*>(Dlg().MainControl(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

void TachyonTest::ShowPage(int page) {
    QTabBar* bar = Dlg().TabCtrl()->TabBar();
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
}

std::vector<std::string> TachyonTest::Calls() { return DriverCalls(Sim().Trace()); }

std::vector<std::string> TachyonTest::Calls(const std::vector<std::string>& prefixes) {
    return CallsOf(DriverCalls(Sim().Trace()), prefixes);
}
