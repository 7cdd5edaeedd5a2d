// SPDX-License-Identifier: GPL-3.0-or-later
#include "CTachyonDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "CAboutDlg.h"
#include "CMyTabCtrl.h"
#include "DialogPage.h"
#include "DialogResources.h"
#include "NumberText.h"
#include "PageNotify.h"
#include "ProgramIcon.h"
#include "Prompts.h"
#include "device/ADLXHelper.h"

CTachyonDlg::CTachyonDlg(ADLXHelper& adlx, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_mainIcon(ProgramIcon()), m_adlx(adlx), m_prompts(prompts) {
    setObjectName(QStringLiteral("CTachyonDlg"));
    setWindowTitle(QString::fromUtf8(MainDialogTemplate().caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    m_controls = BuildControls(this, MainDialogTemplate());
    setFixedSize(DialogPixelSize(MainDialogTemplate()));

    m_tabCtrl = new CMyTabCtrl(prompts, this);
    m_controls.Add(1001, m_tabCtrl);
    const ControlTemplate& tabTemplate = *std::find_if(MainDialogTemplate().controls.begin(), MainDialogTemplate().controls.end(),
                                               [](const ControlTemplate& c) { return c.id == 1001; });
    m_tabCtrl->setGeometry(DialogUnits(DialogFont()).ToPixels(tabTemplate.x, tabTemplate.y, tabTemplate.width, tabTemplate.height));
    // The tab control follows the selector in the tab order, as in the resource.
    m_tabCtrl->stackUnder(MainControl(1002));

    const auto onClick = [this](int id, void (CTachyonDlg::*handler)()) {
        connect(qobject_cast<QPushButton*>(MainControl(id)), &QPushButton::clicked, this, handler);
    };
    onClick(1002, &CTachyonDlg::OnSetClicked);
    onClick(1006, &CTachyonDlg::OnApplyAllClicked);
    onClick(1003, &CTachyonDlg::OnResetClicked);
    onClick(1004, &CTachyonDlg::OnLoadClicked);
    onClick(1005, &CTachyonDlg::OnSaveClicked);
    connect(qobject_cast<QPushButton*>(MainControl(IDOK)), &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(qobject_cast<QComboBox*>(MainControl(1000)), &QComboBox::activated, this, &CTachyonDlg::OnGpuSelChange);

    BindVocabularies();
    InstallKeyFilter(this, this);
}

CTachyonDlg::~CTachyonDlg() = default;

void CTachyonDlg::BindVocabularies() {
    m_vocabularies.scaleMode.Bind(Combo(kDisplayPage, 1083));
    m_vocabularies.memoryTiming.Bind(Combo(kTuningPage, 1013));
    m_vocabularies.colorDepth.Bind(Combo(kDisplayPage, 1085));
    m_vocabularies.pixelFormat.Bind(Combo(kDisplayPage, 1086));
    m_vocabularies.vsyncMode.Bind(Combo(kGraphicsPage, 1055));
    m_vocabularies.antiAliasingMode.Bind(Combo(kGraphicsPage, 1056));
    m_vocabularies.antiAliasingLevel.Bind(Combo(kGraphicsPage, 1057));
    m_vocabularies.antiAliasingMethod.Bind(Combo(kGraphicsPage, 1058));
    m_vocabularies.anisotropicLevel.Bind(Combo(kGraphicsPage, 1061));
    m_vocabularies.tessellationMode.Bind(Combo(kGraphicsPage, 1062));
    m_vocabularies.tessellationLevel.Bind(Combo(kGraphicsPage, 1063));
}

IADLXSystem* CTachyonDlg::System() const { return m_adlx.SystemServices(); }

int CTachyonDlg::DoModal() {
    OnInitDialog();
    if (m_cancelRequested) return IDCANCEL;
    return exec() == IDOK ? IDOK : IDCANCEL;
}

bool CTachyonDlg::OnInitDialog() {
    m_systemMenu = new QMenu(this);
    const QString aboutText = QStringLiteral("&About Tachyon...");
    if (!aboutText.isEmpty()) {
        m_systemMenu->addSeparator();
        QAction* about = m_systemMenu->addAction(aboutText, this, &CTachyonDlg::OnAboutCommand);
        about->setObjectName(QStringLiteral("16"));
    }
    QAction* keep = m_systemMenu->addAction(QStringLiteral("&Keep these settings at boot"), this,
                                            &CTachyonDlg::OnKeepAtBootCommand);
    keep->setObjectName(QStringLiteral("keep-at-boot"));
    QAction* stop = m_systemMenu->addAction(QStringLiteral("&Stop keeping them at boot"), this,
                                            &CTachyonDlg::OnStopKeepingAtBootCommand);
    stop->setObjectName(QStringLiteral("stop-keeping-at-boot"));
    setWindowIcon(m_mainIcon);

    if (EnumerateGpus() != 0) OnCancel();

    m_tabCtrl->DeleteAllItems();
    m_tabCtrl->InsertItem(0, QStringLiteral("Tuning"));
    m_tabCtrl->InsertItem(1, QStringLiteral("Fan"));
    m_tabCtrl->InsertItem(2, QStringLiteral("Graphics"));
    m_tabCtrl->InsertItem(3, QStringLiteral("Display"));
    m_tabCtrl->PlacePages();

    Control(kTuningPage, 1009)->hide();
    Control(kFanPage, 1033)->hide();
    Control(kFanPage, 1034)->hide();
    Control(kFanPage, 1036)->hide();

    SelectGpu(0);
    ReadAll();
    FetchUserCommands();
    return true;
}

void CTachyonDlg::OnCancel() {
    m_cancelRequested = true;
    done(IDCANCEL);
}

void CTachyonDlg::OnGpuSelChange() {
    const int position = qobject_cast<QComboBox*>(MainControl(1000))->currentIndex();
    SelectGpu(static_cast<unsigned>(position));
    ReadAll();
}

void CTachyonDlg::OnSetClicked() {
    const int page = m_tabCtrl->m_currentPage;
    ApplyPage(page);
    ReadPage(page);
    EndUserCommand();
}

void CTachyonDlg::OnApplyAllClicked() {
    ApplyAll();
    ReadAll();
    EndUserCommand();
}

void CTachyonDlg::OnResetClicked() {
    // Without a GPU the driver would be handed a null one.
    if (m_gpuTuningServices && m_gpu) m_gpuTuningServices->ResetToFactory(m_gpu.get());
    ReadAll();
    EndUserCommand();
}

void CTachyonDlg::OnLoadClicked() { LoadProfile(); }

void CTachyonDlg::OnSaveClicked() { SaveProfile(); }

void CTachyonDlg::OnAboutCommand() {
    CAboutDlg about(this);
    about.exec();
}

void CTachyonDlg::OnKeepAtBootCommand() { KeepAtBoot(); }

void CTachyonDlg::OnStopKeepingAtBootCommand() { StopKeepingAtBoot(); }

int CTachyonDlg::OnPageNotify(int code, std::intptr_t value) {
    switch (code) {
        case kNotifyDisplayChosen: OnDisplayChosen(value); break;
        case kNotifyResetShaderCache:
            ResetShaderCache();
            EndUserCommand();
            break;
        case kNotifyAntiAliasingModeChanged: OnAntiAliasingModeChanged(value); break;
        case kNotifyTessellationModeChanged: OnTessellationModeChanged(value); break;
        default: break;
    }
    return 0;
}

void CTachyonDlg::ReadAll() {
    for (int page = kTuningPage; page <= kDisplayPage; ++page) ReadPage(page);
}

void CTachyonDlg::ApplyAll() {
    // The fan comes last.
    ApplyPage(kTuningPage);
    ApplyPage(kGraphicsPage);
    ApplyPage(kDisplayPage);
    ApplyPage(kFanPage);
}

void CTachyonDlg::ReadPage(int page) {
    switch (page) {
        case kTuningPage:
            ReadGfxClocks();
            ReadVramTuning();
            ReadPowerTuning();
            ReadSmartAccessMemory();
            break;
        case kFanPage:
            ReadFanTuning();
            break;
        case kGraphicsPage:
            ReadSuperResolution();
            ReadAntiLag();
            ReadBoost();
            ReadChill();
            ReadImageSharpening();
            ReadEnhancedSync();
            ReadVSync();
            ReadFrameRateTarget();
            ReadAntiAliasingMode();
            ReadAntiAliasingLevel();
            ReadAntiAliasingMethod();
            ReadMorphologicalAntiAliasing();
            ReadAnisotropicFiltering();
            ReadAnisotropicLevel();
            ReadTessellationMode();
            ReadTessellationLevel();
            break;
        case kDisplayPage:
            ReadFreeSync();
            ReadVirtualSuperResolution();
            ReadGpuScaling();
            ReadScalingMode();
            ReadIntegerScaling();
            ReadColorDepth();
            ReadPixelFormat();
            break;
        default:
            break;
    }
}

void CTachyonDlg::ApplyPage(int page) {
    switch (page) {
        case kTuningPage:
            ApplyGfxClocks();
            ApplyVramTuning();
            ApplyPowerTuning();
            ApplySmartAccessMemory();
            break;
        case kFanPage:
            ApplyFanTuning();
            break;
        case kGraphicsPage:
            ApplySuperResolution();
            ApplyAntiLag();
            ApplyBoost();
            ApplyChill();
            ApplyImageSharpening();
            ApplyEnhancedSync();
            ApplyVSync();
            ApplyFrameRateTarget();
            ApplyAntiAliasingMode();
            ApplyAntiAliasingLevel();
            ApplyAntiAliasingMethod();
            ApplyMorphologicalAntiAliasing();
            ApplyAnisotropicFiltering();
            ApplyAnisotropicLevel();
            ApplyTessellationMode();
            ApplyTessellationLevel();
            break;
        case kDisplayPage:
            ApplyFreeSync();
            ApplyVirtualSuperResolution();
            ApplyGpuScaling();
            ApplyScalingMode();
            ApplyIntegerScaling();
            ApplyColorDepth();
            ApplyPixelFormat();
            break;
        default:
            break;
    }
}

DialogPage* CTachyonDlg::Page(int page) const {
    if (page < 0 || page > kDisplayPage) return nullptr;
    return m_tabCtrl->m_pages[static_cast<std::size_t>(page)];
}

QWidget* CTachyonDlg::Control(int page, int id) const {
    DialogPage* p = Page(page);
    return p != nullptr ? p->Control(id) : nullptr;
}

QLineEdit* CTachyonDlg::Edit(int page, int id) const { return qobject_cast<QLineEdit*>(Control(page, id)); }
QCheckBox* CTachyonDlg::CheckBox(int page, int id) const { return qobject_cast<QCheckBox*>(Control(page, id)); }
QComboBox* CTachyonDlg::Combo(int page, int id) const { return qobject_cast<QComboBox*>(Control(page, id)); }

QWidget* CTachyonDlg::MainControl(int id) const {
    // The window's own controls only; the pages' controls live below the tab control.
    return m_controls.Find(id);
}

std::int32_t CTachyonDlg::EditNumber(int page, int id) const { return TextToInt(Edit(page, id)->text()); }

void CTachyonDlg::SetEditNumber(int page, int id, std::int32_t value) { Edit(page, id)->setText(IntToText(value)); }

bool CTachyonDlg::IsChecked(int page, int id) const { return CheckBox(page, id)->isChecked(); }

void CTachyonDlg::SetChecked(int page, int id, bool checked) { CheckBox(page, id)->setChecked(checked); }

void CTachyonDlg::EnableControls(int page, std::initializer_list<int> ids, bool enable) {
    for (const int id : ids) Control(page, id)->setEnabled(enable);
}

bool CTachyonDlg::event(QEvent* event) {
    if (event->type() == PageNotifyEvent::EventType()) {
        auto* notify = static_cast<PageNotifyEvent*>(event);
        notify->result = OnPageNotify(notify->Code(), notify->Value());
        return true;
    }
    return QDialog::event(event);
}

bool CTachyonDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsSwallowedKey(static_cast<QKeyEvent*>(event))) return true;
    if (watched == MainControl(1000) && IsWheelOverUnfocusedList(watched, event)) return true;
    return QDialog::eventFilter(watched, event);
}

void CTachyonDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The window manager owns the title bar's menu; the window's own entries live here.
    if (m_systemMenu != nullptr) m_systemMenu->exec(event->globalPos());
}
