#include "link/HostList.h"

#include "link/LinkSettings.h"

#include <algorithm>

bool HostList::add(const HostAddress& address) {
    if (link_.hostCount >= LinkConfiguration::hostCapacity)
        return false;
    const int host = link_.hostCount;
    link_.hostAddresses[std::size_t(host)] = address;
    link_.hostCount = host + 1;
    writeHostList(file_, link_, host);
    return true;
}

bool HostList::remove(int host) {
    if (!isListed(host))
        return false;
    const auto first = link_.hostAddresses.begin();
    std::copy(first + host + 1, first + link_.hostCount, first + host);
    --link_.hostCount;
    // The keys of the former last host stay in the file; "list_count" hides them.
    writeHostList(file_, link_, host);
    return true;
}

bool HostList::choose(int host) {
    if (!isListed(host))
        return false;
    link_.selectedConnection = host;
    writeSelectedConnection(file_, link_);
    return true;
}
