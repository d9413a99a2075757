#pragma once

// Where the exchange of lines with one device stands. Its owner is that device's command sender;
// the program has one, the command-line tool one per device connection.
struct ExchangeState {
    int replyPending = 0;     // a serial reply is awaited
    int replyWaitTicks = 0;   // 500 ms ticks of that wait so far
    int exchangeFailed = 0;   // a reply refused its command, none came, or the link failed
    bool runGoing = false;    // a timed run goes on (its pacer holds this lock)
    int glyphReadPending = 0; // a glyph read was sent and its answer is awaited
};
