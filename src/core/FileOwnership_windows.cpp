#include "core/FileOwnership.h"

#include <QFile>
#include <QFileInfo>

// Windows has no sticky folders whose links the system refuses to follow.
QString linkFollowingRefusal(const QString&) {
    return {};
}

// A file that a save has open cannot be removed on Windows: the system is the lock.
ReplacementLock::ReplacementLock(QFileDevice&) {}

ReplacementLock::~ReplacementLock() = default;

Leftover removeStaleReplacement(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return Leftover::None;
    if (file.isSymLink() || !file.isFile())
        return Leftover::NotOurs;
    return QFile::remove(path) ? Leftover::Removed : Leftover::InUse;
}
