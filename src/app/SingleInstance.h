#pragma once

#include <QLockFile>

// Keeps the program to one running instance per user: a lock file named "TCP_X_Mutex" in the
// user's runtime folder. A lock left by an instance that crashed is taken over, since its owner is
// no longer running; a live instance's lock is never broken, however old.
class SingleInstance {
public:
    SingleInstance();

    // True when this process is now the one instance.
    bool acquire();

private:
    QLockFile lock_;
};
