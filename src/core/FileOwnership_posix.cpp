#include "core/FileOwnership.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

QString linkFollowingRefusal(const QString& linkPath) {
    struct stat link {};
    struct stat folder {};
    const QString folderPath = QFileInfo(linkPath).absolutePath();
    if (lstat(QFile::encodeName(linkPath).constData(), &link) != 0 ||
        stat(QFile::encodeName(folderPath).constData(), &folder) != 0)
        return {}; // gone meanwhile: the save then finds what is there
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (!shared || link.st_uid == geteuid() || link.st_uid == folder.st_uid)
        return {};
    return QStringLiteral("%1 は誰でも書き込めるフォルダ %2 にある他のユーザーのシンボリック"
                          "リンクです。システムと同じく、このリンクはたどりません。")
        .arg(QDir::toNativeSeparators(linkPath), QDir::toNativeSeparators(folderPath));
}

ReplacementLock::ReplacementLock(QFileDevice& file) {
    // A descriptor of its own, so that the lock outlasts the file's closing until the rename.
    handle_ = dup(file.handle());
    if (handle_ >= 0)
        flock(handle_, LOCK_EX | LOCK_NB);
}

ReplacementLock::~ReplacementLock() {
    if (handle_ >= 0)
        close(handle_);
}

Leftover removeStaleReplacement(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int handle = open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return errno == ENOENT ? Leftover::None : Leftover::NotOurs;
    struct stat opened {};
    struct stat named {};
    Leftover result = Leftover::NotOurs;
    if (fstat(handle, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == geteuid()) {
        // A save holds its lock until its file is in place; the system drops the lock of a
        // save that was killed. Where locks are not kept at all, the file counts as left.
        if (flock(handle, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            result = Leftover::InUse;
        else if (lstat(name.constData(), &named) == 0 && named.st_ino == opened.st_ino &&
                 named.st_dev == opened.st_dev && unlink(name.constData()) == 0)
            result = Leftover::Removed;
    }
    close(handle);
    return result;
}
