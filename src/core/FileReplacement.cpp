#include "core/FileReplacement.h"

#include "core/DiskSync.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace {

// The file that a save replaces: the target of a symbolic link, as QSaveFile takes it, so that
// a link into another folder stays a link.
QString savedFilePath(const QString& path) {
    QFileInfo file(path);
    for (int depth = 0; depth < 64 && file.isSymLink(); ++depth)
        file.setFile(file.symLinkTarget());
    return file.isSymLink() ? path : file.filePath();
}

} // namespace

bool replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                 QString* whyNot) {
    const QString target = savedFilePath(path);
    const QString temporary = target + replacementSuffix;
    // A leftover of a killed save is ours to reuse. Removing it first also means that a link
    // planted under that name is never followed.
    QFile::remove(temporary);
    const QFileInfo existing(target);
    QFile file(temporary);
    const auto fail = [&](const QString& reason) {
        if (file.isOpen())
            file.close();
        QFile::remove(temporary);
        if (whyNot)
            *whyNot = reason;
        return false;
    };
    // Readable only by us until it takes the place of the old file, whose permissions it then
    // gets; a new file gets the usual ones.
    const bool opened = existing.exists()
                            ? file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                                        QFileDevice::ReadOwner | QFileDevice::WriteOwner)
                            : file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    if (!opened) {
        if (whyNot)
            *whyNot = file.errorString();
        return false;
    }
    if (!write(file) || !file.flush() || !syncToDisk(file))
        return fail(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (existing.exists() && !file.setPermissions(existing.permissions()))
        return fail(file.errorString());
    // Replaces the old file in one step, on Windows too (QFile::rename would refuse).
    std::error_code error;
    std::filesystem::rename(temporary.toStdU16String(), target.toStdU16String(), error);
    if (error)
        return fail(QString::fromLocal8Bit(error.message()));
    return true;
}

void removeLeftoverReplacement(const QString& path) {
    const QString temporary = savedFilePath(path) + replacementSuffix;
    if (QFileInfo(temporary).isDir())
        return; // not one of ours
    QFile::remove(temporary);
}
