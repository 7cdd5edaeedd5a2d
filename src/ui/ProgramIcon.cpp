#include "ProgramIcon.h"

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {256, 128, 64, 32}) icon.addFile(QStringLiteral(":/tachyon-%1.png").arg(size), QSize(size, size));
    return icon;
}
