// Operations whose features are not built yet: they report "not supported" and touch nothing.

#include "ui/CTachyonDlg.h"

int CTachyonDlg::ReadSuperResolution() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplySuperResolution() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadAntiLag() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyAntiLag() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadBoost() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyBoost() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadChill() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyChill() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadImageSharpening() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyImageSharpening() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadEnhancedSync() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyEnhancedSync() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::InitVSync() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadVSync() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyVSync() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadFrameRateTarget() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyFrameRateTarget() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::InitAntiAliasing() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadAntiAliasingMode() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyAntiAliasingMode() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadAntiAliasingLevel() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyAntiAliasingLevel() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadAntiAliasingMethod() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyAntiAliasingMethod() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadMorphologicalAntiAliasing() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyMorphologicalAntiAliasing() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadAnisotropicFiltering() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyAnisotropicFiltering() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadAnisotropicLevel() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyAnisotropicLevel() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::InitTessellation() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadTessellationMode() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyTessellationMode() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadTessellationLevel() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyTessellationLevel() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ResetShaderCache() { return ADLX_NOT_SUPPORTED; }
void CTachyonDlg::OnAntiAliasingModeChanged(std::intptr_t) {}
void CTachyonDlg::OnTessellationModeChanged(std::intptr_t) {}
