// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program icon, in its four sizes.

#include <QIcon>

QIcon ProgramIcon();
