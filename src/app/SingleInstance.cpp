#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace {

// A folder of this user's own, so that one user's instance never keeps another user out (the
// temporary folder is shared by all users on Linux, and only its owner could remove a lock left
// there by a crash).
QString lockFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

SingleInstance::SingleInstance()
    : lock_(QDir(lockFolder()).filePath(QStringLiteral("TCP_X_Mutex"))) {
    lock_.setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return lock_.tryLock(0);
}
