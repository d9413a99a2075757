#pragma once

#include <sys/resource.h>

// Runs this process out of file descriptors: while it lives, the soft limit on open descriptors
// is lowered so that the next descriptor opened fails with EMFILE; destroying it sets the limit
// back. POSIX only, for tests of what happens when descriptors run out.
class DescriptorShortage {
public:
    DescriptorShortage();
    ~DescriptorShortage();
    DescriptorShortage(const DescriptorShortage&) = delete;
    DescriptorShortage& operator=(const DescriptorShortage&) = delete;

    // False when the limit could not be lowered.
    bool isInForce() const { return inForce_; }

private:
    rlimit saved_{};
    bool inForce_ = false;
};
