#pragma once
// The program icon, in its four sizes.

#include <QIcon>

QIcon ProgramIcon();
