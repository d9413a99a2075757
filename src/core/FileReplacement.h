#pragma once

#include <QString>
#include <functional>

class QIODevice;

// Saving a file without ever destroying the one it replaces: the new contents are written to a
// file beside it, named by us (the file's own name followed by replacementSuffix), flushed to
// the disk and then renamed over the old file. A save killed midway can leave only that one
// file behind, never a half-written original; it goes when the file is next opened or saved.
// Only what a killed save of ours left goes: a file of this user that no save under way holds
// (a save holds its new file locked until it is in place), never a link, a folder or another
// user's file. A file reached through a symbolic link is replaced where the link points, and
// keeps its permissions; in a folder that everyone may write in, only a link the system itself
// would follow is followed.

inline const QString replacementSuffix = QStringLiteral(".zev530tq-new");

// Replaces the file with what write puts into the device. False, with the file as it was, when
// write returns false or the new contents cannot be written, flushed or put in place; whyNot
// then says why, as the system put it.
bool replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write,
                 QString* whyNot = nullptr);

// Removes what a killed save of the file left behind, if anything: when the file is opened.
void removeLeftoverReplacement(const QString& path);
