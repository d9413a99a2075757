#include "core/FileReplacement.h"

#include "core/DiskSync.h"
#include "core/FileOwnership.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

// The file that a save replaces: the target of a symbolic link, as QSaveFile takes it, so that
// a link into another folder stays a link. Nothing, with why in whyNot, when a link on the way
// is one the system would not let us follow.
std::optional<QString> savedFilePath(const QString& path, QString* whyNot) {
    QFileInfo file(path);
    for (int depth = 0; depth < 64 && file.isSymLink(); ++depth) {
        if (const QString refusal = linkFollowingRefusal(file.filePath()); !refusal.isEmpty()) {
            if (whyNot)
                *whyNot = refusal;
            return std::nullopt;
        }
        file.setFile(file.symLinkTarget());
    }
    return file.isSymLink() ? path : file.filePath();
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

bool replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                 QString* whyNot) {
    const std::optional<QString> target = savedFilePath(path, whyNot);
    if (!target)
        return false;
    const QString temporary = *target + replacementSuffix;
    const auto refuse = [whyNot](const QString& reason) {
        if (whyNot)
            *whyNot = reason;
        return false;
    };
    // A leftover of a killed save is ours to reuse; anything else under that name is not, and a
    // link there is never followed.
    switch (removeStaleReplacement(temporary)) {
    case Leftover::InUse:
        return refuse(
            QStringLiteral("%1 は別の保存が書き込んでいるところです。").arg(shown(temporary)));
    case Leftover::NotOurs:
        return refuse(
            QStringLiteral(
                "%1 があるため保存できません（このプログラムが残したファイルではありません）。")
                .arg(shown(temporary)));
    case Leftover::None:
    case Leftover::Removed:
        break;
    }
    const QFileInfo existing(*target);
    QFile file(temporary);
    // Readable only by us until it takes the place of the old file, whose permissions it then
    // gets; a new file gets the usual ones.
    const bool opened = existing.exists()
                            ? file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                                        QFileDevice::ReadOwner | QFileDevice::WriteOwner)
                            : file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    if (!opened)
        return refuse(file.errorString());
    const ReplacementLock lock(file);
    const auto fail = [&](const QString& reason) {
        if (file.isOpen())
            file.close();
        QFile::remove(temporary);
        return refuse(reason);
    };
    if (!write(file) || !file.flush() || !syncToDisk(file))
        return fail(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (existing.exists() && !file.setPermissions(existing.permissions()))
        return fail(file.errorString());
    // Replaces the old file in one step, on Windows too (QFile::rename would refuse).
    std::error_code error;
    std::filesystem::rename(temporary.toStdU16String(), target->toStdU16String(), error);
    if (error)
        return fail(QString::fromLocal8Bit(error.message()));
    return true;
}

void removeLeftoverReplacement(const QString& path) {
    if (const std::optional<QString> target = savedFilePath(path, nullptr))
        removeStaleReplacement(*target + replacementSuffix);
}
