#include "app/SingleInstance.h"

#include <QDir>

SingleInstance::SingleInstance() : lock_(QDir::temp().filePath(QStringLiteral("TCP_X_Mutex"))) {
    lock_.setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return lock_.tryLock(0);
}
