// Operations whose features are not built yet: they report "not supported" and touch nothing.

#include "ui/CTachyonDlg.h"

int CTachyonDlg::ReadGfxClocks() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyGfxClocks() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::InitVramTuning() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadVramTuning() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyVramTuning() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadPowerTuning() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyPowerTuning() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadSmartAccessMemory() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplySmartAccessMemory() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::InitFanTuning() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ReadFanTuning() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::ApplyFanTuning() { return ADLX_NOT_SUPPORTED; }
