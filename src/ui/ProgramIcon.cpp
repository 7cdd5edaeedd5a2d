#include "ProgramIcon.h"

// The icon images live in this static library, whose resources must be registered by hand, from
// the global namespace.
static void RegisterIconResources() { Q_INIT_RESOURCE(tachyon); }

QIcon ProgramIcon() {
    static const bool registered = (RegisterIconResources(), true);
    (void)registered;
    QIcon icon;
    for (const int size : {256, 128, 64, 32}) icon.addFile(QStringLiteral(":/tachyon-%1.png").arg(size), QSize(size, size));
    return icon;
}
