// Operations whose features are not built yet: they report "not supported" and touch nothing.

#include "ui/CTachyonDlg.h"

int CTachyonDlg::ListDisplays() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadFreeSync() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyFreeSync() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadVirtualSuperResolution() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyVirtualSuperResolution() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadGpuScaling() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyGpuScaling() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::InitScalingMode() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadScalingMode() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyScalingMode() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadIntegerScaling() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyIntegerScaling() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::InitColorDepth() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadColorDepth() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyColorDepth() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::InitPixelFormat() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadPixelFormat() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyPixelFormat() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ProbeDisplay(std::uint32_t) { return ADLX_NOT_SUPPORTED; }
void CTachyonDlg::OnDisplayChosen(std::intptr_t) {}
void CTachyonDlg::DisableDisplayFeatures() {}
