#pragma once

#include "protocol/ReplyTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What became of one line sent to the device. Every line the command sender sends gets an
// exchange, which ends exactly once with one of these outcomes.
enum class ExchangeOutcome {
    Awaited,         // not ended yet
    Accepted,        // "GO"
    Data,            // a whole answer to a read request
    DeviceRefusal,   // "E0" to "E3"
    OtherReply,      // "GN", "MENU", a malformed answer, or a line nothing recognises
    NoAnswer,        // no whole line came within the wait
    NotConnected,    // nothing was sent: the TCP link is not connected
    SendFailed,      // the link would not take the line
    Disconnected,    // the device's connection (or port) went away while the line waited
    NoReplyExpected, // an RS-485 broadcast, which no device answers
};

struct Exchange {
    quint64 id = 0;  // from 1, in the order the lines were handed to the sender
    QByteArray line; // as handed to the sender, with its CR LF
    ReplyLink link = ReplyLink::Serial;
    ReplyKind expected = ReplyKind::Accepted; // what the line asks for
    ExchangeOutcome outcome = ExchangeOutcome::Awaited;
    ReplyKind replyKind = ReplyKind::Unknown;
    QByteArray reply; // the answer as interpreted (no RS-485 address), with its line end
    // Ended by the failure of an earlier line, which the operator has been told about: once a
    // line is not answered, the answers of the lines after it can no longer be told apart.
    bool endedWithEarlier = false;
    QString detail; // why a link failure happened, for the operator
    QDateTime sentAt;
    QDateTime endedAt;

    bool isEnded() const { return outcome != ExchangeOutcome::Awaited; }
    // The device did what the line asked: "GO" for a setting, the data asked for by a read
    // request (the request's own fields at its start), or nothing for a broadcast.
    bool isExpectedAnswer() const;
    // The outcomes that stop a timed run at its next tick: a refusal by the device and every
    // failure of the link. "GN" and "MENU" do not.
    bool isFailure() const;
};

// The outcome in the operator's words, as the status bar and the traffic window say it
// ("受け付けました", "応答なし", …).
QString outcomeText(ExchangeOutcome outcome);
