// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the profile suites: the golden profile, files in a private folder, and a window whose
// Tuning and Fan controls can be filled and compared as a whole.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <utility>

#include "TachyonTest.h"

// The golden profile: a save from KnownControls() on a GPU whose PNP string holds DEV_73BF and
// REV_C1.
QByteArray GoldenProfile();
QString GoldenPath();

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// Every control a profile touches, as the user sees it: edit texts, the check box, the list's
// selection.
using ControlKey = std::pair<int, int>;
using ControlState = std::map<ControlKey, QString>;

class ProfileTest : public TachyonTest {
protected:
    void SetUp() override;

    // A GPU whose PNP string holds DEV_73BF and REV_C1, as the golden profile was saved from.
    CTachyonDlg& StartOn73BF();
    // Fills the memory timing list as a driver offering levels 0, 1 and 2 would, so the tests do
    // not depend on what the driver read left in it.
    void FillTimingList();
    // The controls the golden profile was saved from.
    void SetKnownControls();
    ControlState Controls();
    // Puts different values into every control, so a load that misses one shows.
    void Scramble();

    QString PathIn(const QString& name) const { return dir.filePath(name); }
    int Save(const QString& path);
    int Load(const QString& path);

    QTemporaryDir dir;
};

// The control of a profile slot, for readable failure messages.
std::string Describe(const ControlKey& key);
