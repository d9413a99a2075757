#pragma once

#include "core/LinkConfiguration.h"

class ProfileFile;

// The client role's list of device addresses as the operator edits it in the TCP client
// dialog. Each change is made in the link settings and saved at once, as one replacement of the
// settings file, so that the file never holds half a change.
class HostList {
public:
    HostList(LinkConfiguration& link, ProfileFile& file) : link_(link), file_(file) {}

    // An entry of the list: 0 to hostCount - 1.
    bool isListed(int host) const { return host >= 0 && host < link_.hostCount; }

    // Adds the address as the last host; false, with nothing changed, when the list is full.
    bool add(const HostAddress& address);
    // Deletes the host and moves the hosts behind it down one place; false when it is not
    // listed. The chosen host keeps its index, so after deleting a host above it the same index
    // names the next one.
    bool remove(int host);
    // The host becomes the one that a connect reaches; false when it is not listed.
    bool choose(int host);

private:
    LinkConfiguration& link_;
    ProfileFile& file_;
};
