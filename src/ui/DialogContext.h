#pragma once

#include "commands/CommandContext.h"

class TcpLink;

// What every dialog that talks to the device works with: what its commands need, and the TCP
// link for what its connections show (the chosen connection's address in the captions). The
// running program has one; tests build their own.
struct DialogContext : CommandContext {
    const TcpLink& tcp;
};
