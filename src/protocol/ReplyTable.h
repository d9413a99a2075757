#pragma once

#include <QByteArrayView>
#include <QString>

// Every reply the device gives, by its first characters, with what it means and the box the
// program shows for it over each link. One table for the reply handler's boxes, the parser and
// zevctl; a reply is never matched to the command that was sent.

// The link a reply came on: the two differ in when "GO" counts and in their messages.
enum class ReplyLink { Serial, Tcp };

enum class ReplyKind {
    Accepted,        // "GO"; over the serial link only "GO\r\n" whole
    SwitchTimes,     // "AST"
    DisplayPosition, // "CTDPO"
    DisplayFlags,    // "CTD"
    EdgeLevel,       // "CEL"
    WhiteLevel,      // "CWL"
    StartupPage,     // "SUS"
    Title,           // "CT"
    DisplayPage,     // "P0"
    Glyph,           // "FBM"
    Refused,         // "GN": a mode difference, or automatic switching during a glyph read
    MenuDisplay,     // "MENU"
    FramingError,    // "E0"
    ParityError,     // "E1"
    OverrunError,    // "E2"
    CommandError,    // "E3"
    Unknown,         // anything else: nothing to report
};

// What a kind of reply says about the command it answers.
enum class ReplyClass {
    Accepted,      // "GO"
    Data,          // the answer to a read request
    DeviceRefusal, // "E0" to "E3": the device could not take the line
    OtherReply,    // "GN", "MENU", or a line nothing recognises
};

struct ReplyCode {
    const char* prefix;
    ReplyKind kind;
    ReplyClass replyClass;
    const char* meaning; // in the operator's words
    // The box's text over the serial link and over TCP; none for a data reply. "GN" has a
    // second pair, for a glyph read that the device refuses while it switches pages.
    const char* serialText;
    const char* tcpText;
    const char* glyphReadSerialText = nullptr;
    const char* glyphReadTcpText = nullptr;
};

// The row of a kind; ReplyKind::Unknown has one of its own.
const ReplyCode& replyCode(ReplyKind kind);

// The kind of a reply, by its first characters: "GO", then the read-back prefixes in the order
// of ReplyKind ("CTDPO" before "CTD", both before "CT"), then "GN", "MENU" and "E0" to "E3".
ReplyKind classifyReply(QByteArrayView reply, ReplyLink link);

// What a command line asks the device for: the data of a read request (a line that begins with
// "R" followed by that data's prefix), "GO" for every other line.
ReplyKind expectedReply(QByteArrayView commandLine);

// The box text of a reply over a link; empty for a reply that shows none.
QString replyText(ReplyKind kind, ReplyLink link, bool glyphReadPending);
