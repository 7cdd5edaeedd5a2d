// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's main window. It owns the tab control and its pages, the runtime interfaces of the
// selected GPU and display, one support flag per feature and the setting vocabularies, and turns
// the user's commands into fixed sequences of feature operations. The feature operations are
// members defined next to their features (src/features, src/device, src/profile).

#include <QDialog>
#include <QIcon>
#include <cstdint>
#include <initializer_list>

#include "DialogLayout.h"
#include "SettingVocabulary.h"
#include "adlx/ADLX.h"
#include "profile/BootProfiles.h"
#include "profile/ProfileFormat.h"

class ADLXHelper;
class CMyTabCtrl;
class DialogPage;
class Prompts;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;

enum PageIndex : int { kTuningPage = 0, kFanPage = 1, kGraphicsPage = 2, kDisplayPage = 3 };

class CTachyonDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDOK = 1, IDCANCEL = 2 };

    CTachyonDlg(ADLXHelper& adlx, Prompts& prompts, QWidget* parent = nullptr);
    ~CTachyonDlg() override;

    // Set-up, then the modal loop; returns IDOK or IDCANCEL.
    int DoModal();
    // The set-up the window runs when it is created; public so tests can run it without a loop.
    bool OnInitDialog();

    // Command handlers.
    void OnGpuSelChange();
    void OnSetClicked();
    void OnApplyAllClicked();
    void OnResetClicked();
    void OnLoadClicked();
    void OnSaveClicked();
    void OnAboutCommand();
    void OnKeepAtBootCommand();
    void OnStopKeepingAtBootCommand();
    int OnPageNotify(int code, std::intptr_t value);

    // The four sequences of feature operations.
    void ReadAll();
    void ApplyAll();
    void ReadPage(int page);
    void ApplyPage(int page);

    // GPU selection and capability probe.
    int EnumerateGpus();
    int SelectGpu(unsigned position);

    // GPU tuning.
    int ReadGfxClocks();
    int ApplyGfxClocks();
    int InitVramTuning();
    int ReadVramTuning();
    int ApplyVramTuning();
    int ReadPowerTuning();
    int ApplyPowerTuning();
    int ReadSmartAccessMemory();
    int ApplySmartAccessMemory();
    int InitFanTuning();
    int ReadFanTuning();
    int ApplyFanTuning();

    // Graphics.
    int ReadSuperResolution();
    int ApplySuperResolution();
    int ReadAntiLag();
    int ApplyAntiLag();
    int ReadBoost();
    int ApplyBoost();
    int ReadChill();
    int ApplyChill();
    int ReadImageSharpening();
    int ApplyImageSharpening();
    int ReadEnhancedSync();
    int ApplyEnhancedSync();
    int InitVSync();
    int ReadVSync();
    int ApplyVSync();
    int ReadFrameRateTarget();
    int ApplyFrameRateTarget();
    int InitAntiAliasing();
    int ReadAntiAliasingMode();
    int ApplyAntiAliasingMode();
    int ReadAntiAliasingLevel();
    int ApplyAntiAliasingLevel();
    int ReadAntiAliasingMethod();
    int ApplyAntiAliasingMethod();
    int ReadMorphologicalAntiAliasing();
    int ApplyMorphologicalAntiAliasing();
    int ReadAnisotropicFiltering();
    int ApplyAnisotropicFiltering();
    int ReadAnisotropicLevel();
    int ApplyAnisotropicLevel();
    int InitTessellation();
    int ReadTessellationMode();
    int ApplyTessellationMode();
    int ReadTessellationLevel();
    int ApplyTessellationLevel();
    int ResetShaderCache();
    // Page notifications 2 and 3: the level list follows the mode chosen at position.
    void OnAntiAliasingModeChanged(std::intptr_t position);
    void OnTessellationModeChanged(std::intptr_t position);

    // Displays.
    int ListDisplays();
    // No display services: no display operation may run, so every display feature is off.
    void DisableDisplayFeatures();
    int ProbeDisplay(std::uint32_t position);
    void OnDisplayChosen(std::intptr_t position);
    int ReadFreeSync();
    int ApplyFreeSync();
    int ReadVirtualSuperResolution();
    int ApplyVirtualSuperResolution();
    int ReadGpuScaling();
    int ApplyGpuScaling();
    int InitScalingMode();
    int ReadScalingMode();
    int ApplyScalingMode();
    int ReadIntegerScaling();
    int ApplyIntegerScaling();
    int InitColorDepth();
    int ReadColorDepth();
    int ApplyColorDepth();
    int InitPixelFormat();
    int ReadPixelFormat();
    int ApplyPixelFormat();

    // Tuning profiles.
    int SaveProfile();
    int LoadProfile();
    // The Tuning and Fan values shown for the selected GPU, as Save writes them.
    ProfileValues ShownProfileValues();
    // The selected GPU's shown values kept as its boot profile, or no longer kept; the outcome in
    // a message box either way.
    void KeepAtBoot();
    void StopKeepingAtBoot();
    // Where keeping profiles for boot goes; tests point it at stand-ins.
    KeeperRoute m_keeperRoute = InstalledKeeperRoute();

    // The end of a command that may have written: the runtime lets go of what it opened for the
    // writes, and each distinct notice it left is shown once.
    void FetchUserCommands();
    void EndUserCommand();

    // Control access for the operations: pages by index, controls by id.
    DialogPage* Page(int page) const;
    QWidget* Control(int page, int id) const;
    QLineEdit* Edit(int page, int id) const;
    QCheckBox* CheckBox(int page, int id) const;
    QComboBox* Combo(int page, int id) const;
    QWidget* MainControl(int id) const;
    // An edit's text as a number, and a number written into an edit ("%d").
    std::int32_t EditNumber(int page, int id) const;
    void SetEditNumber(int page, int id, std::int32_t value);
    bool IsChecked(int page, int id) const;
    void SetChecked(int page, int id, bool checked);
    void EnableControls(int page, std::initializer_list<int> ids, bool enable);

    CMyTabCtrl* TabCtrl() const { return m_tabCtrl; }
    Prompts& PromptSeam() const { return m_prompts; }
    IADLXSystem* System() const;
    QMenu* SystemMenu() const { return m_systemMenu; }

    // Members in the order the window declares them; the interface members are released in
    // reverse order when the window is destroyed.
    QIcon m_mainIcon;
    CMyTabCtrl* m_tabCtrl = nullptr;
    adlx::InterfacePtr<IADLXGPUList> m_gpuList;
    adlx::InterfacePtr<IADLXGPU> m_gpu;
    adlx::InterfacePtr<IADLXDisplayList> m_displayList;
    adlx::InterfacePtr<IADLXDisplay> m_display;
    adlx::InterfacePtr<IADLXGPUTuningServices> m_gpuTuningServices;
    adlx::InterfacePtr<IADLX3DSettingsServices> m_3dSettingsServices;
    adlx::InterfacePtr<IADLXDisplayServices> m_displayServices;
    adlx::InterfacePtr<IADLXGPUTuningServices1> m_gpuTuningServices1;
    // Null where the runtime never has anything to tell the user.
    adlx::InterfacePtr<IADLXUserCommands> m_userCommands;

    int m_gfxTuningSupported = 0;
    int m_vramTuningSupported = 0;
    int m_memoryTimingSupported = 0;
    int m_powerTuningSupported = 0;
    int m_tdcSupported = 0;
    int m_samSupported = 0;
    int m_fanTuningSupported = 0;
    int m_zeroRpmSupported = 0;
    int m_boostSupported = 0;
    int m_chillSupported = 0;
    int m_antiLagSupported = 0;
    int m_antiLagLevelSupported = 0;
    int m_imageSharpeningSupported = 0;
    int m_superResolutionSupported = 0;
    int m_enhancedSyncSupported = 0;
    int m_vsyncSupported = 0;
    int m_frtcSupported = 0;
    int m_antiAliasingSupported = 0;
    int m_mlaaSupported = 0;
    int m_anisotropicSupported = 0;
    int m_tessellationSupported = 0;
    int m_resetShaderCacheSupported = 0;
    int m_freeSyncSupported = 0;
    int m_vsrSupported = 0;
    int m_gpuScalingSupported = 0;
    int m_scalingModeSupported = 0;
    int m_integerScalingSupported = 0;
    int m_colorDepthSupported = 0;
    int m_pixelFormatSupported = 0;

    SettingVocabularies m_vocabularies;

    // Maps a position of the display list 1087 to its index in m_displayList.
    std::vector<adlx_uint> m_displayPositions;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BindVocabularies();
    void OnCancel();

    ADLXHelper& m_adlx;
    Prompts& m_prompts;
    ControlMap m_controls;
    QMenu* m_systemMenu = nullptr;
    bool m_cancelRequested = false;
};
