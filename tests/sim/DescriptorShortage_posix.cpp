#include "DescriptorShortage_posix.h"

#include <fcntl.h>
#include <unistd.h>

DescriptorShortage::DescriptorShortage() {
    if (::getrlimit(RLIMIT_NOFILE, &saved_) != 0)
        return;
    // A new descriptor takes the lowest free number: a limit at that number leaves none.
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (lowestFree < 0)
        return;
    ::close(lowestFree);
    rlimit lowered = saved_;
    lowered.rlim_cur = rlim_t(lowestFree);
    inForce_ = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
}

DescriptorShortage::~DescriptorShortage() {
    if (inForce_)
        ::setrlimit(RLIMIT_NOFILE, &saved_);
}
