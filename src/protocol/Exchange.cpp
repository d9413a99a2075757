#include "protocol/Exchange.h"

bool Exchange::isExpectedAnswer() const {
    switch (outcome) {
    case ExchangeOutcome::Accepted:
        return expected == ReplyKind::Accepted;
    case ExchangeOutcome::Data:
        // The data of what was asked: "RCT01T05" is answered by "CT01T05" and its title.
        return replyKind == expected && reply.startsWith(QByteArrayView(line).sliced(1).chopped(2));
    case ExchangeOutcome::NoReplyExpected:
        return true;
    default:
        return false;
    }
}

bool Exchange::isFailure() const {
    switch (outcome) {
    case ExchangeOutcome::DeviceRefusal:
    case ExchangeOutcome::NoAnswer:
    case ExchangeOutcome::NotConnected:
    case ExchangeOutcome::SendFailed:
    case ExchangeOutcome::Disconnected:
        return true;
    default:
        return false;
    }
}

QString outcomeText(ExchangeOutcome outcome) {
    switch (outcome) {
    case ExchangeOutcome::Awaited:
        return QStringLiteral("awaiting an answer");
    case ExchangeOutcome::Accepted:
        return QStringLiteral("accepted");
    case ExchangeOutcome::Data:
        return QStringLiteral("answered");
    case ExchangeOutcome::DeviceRefusal:
        return QStringLiteral("refused by the device");
    case ExchangeOutcome::OtherReply:
        return QStringLiteral("other reply");
    case ExchangeOutcome::NoAnswer:
        return QStringLiteral("no answer");
    case ExchangeOutcome::NotConnected:
        return QStringLiteral("not connected");
    case ExchangeOutcome::SendFailed:
        return QStringLiteral("not sent");
    case ExchangeOutcome::Disconnected:
        return QStringLiteral("disconnected");
    case ExchangeOutcome::NoReplyExpected:
        break;
    }
    return QStringLiteral("sent to all (no answer expected)");
}
