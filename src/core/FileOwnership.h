#pragma once

#include <QString>

class QFileDevice;

// Where saving meets the file system's rules of who owns what: whether a save may follow a
// symbolic link, and whether a file beside the saved one is what a killed save of ours left.

// Why a save must not follow the symbolic link at linkPath, or "" when it may. Where the system
// keeps users from following each other's links (a folder that everyone may write in, with the
// sticky bit, such as /tmp), a save follows only a link that the system would let it follow:
// one of the user's own, or of the folder's owner.
QString linkFollowingRefusal(const QString& linkPath);

// Held by a save on its new file from its creation until it has been put in place, so that a
// look for leftovers can tell a save under way from one that was killed.
class ReplacementLock {
public:
    explicit ReplacementLock(QFileDevice& file);
    ~ReplacementLock();
    ReplacementLock(const ReplacementLock&) = delete;
    ReplacementLock& operator=(const ReplacementLock&) = delete;

private:
    [[maybe_unused]] int handle_ = -1; // a descriptor of the new file where the system has one
};

enum class Leftover {
    None,    // nothing there
    Removed, // a regular file of this user that no save holds: what a killed save left
    InUse,   // a save under way holds it, in this process or another
    NotOurs, // a link, a folder, another user's file: never touched
};

// Removes the file at path when it is what a killed save left, and says what was there.
Leftover removeStaleReplacement(const QString& path);
