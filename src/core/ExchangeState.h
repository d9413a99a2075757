#pragma once

// What the exchange of lines with one device holds besides the lines awaiting their answers.
// Its owner is that device's command sender; the program has one, the command-line tool one
// per device connection.
struct ExchangeState {
    bool runGoing = false;    // a timed run goes on (its pacer holds this lock)
    int glyphReadPending = 0; // a glyph read was sent and its answer is awaited
};
