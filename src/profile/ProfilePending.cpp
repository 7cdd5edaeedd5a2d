// Operations whose features are not built yet: they report "not supported" and touch nothing.

#include "ui/CTachyonDlg.h"

int CTachyonDlg::SaveProfile() { return ADLX_NOT_SUPPORTED; }
int CTachyonDlg::LoadProfile() { return ADLX_NOT_SUPPORTED; }
