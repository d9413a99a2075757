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
        return QStringLiteral("応答待ち");
    case ExchangeOutcome::Accepted:
        return QStringLiteral("受け付けました");
    case ExchangeOutcome::Data:
        return QStringLiteral("読み込みました");
    case ExchangeOutcome::DeviceRefusal:
        return QStringLiteral("エラー応答");
    case ExchangeOutcome::OtherReply:
        return QStringLiteral("その他の応答");
    case ExchangeOutcome::NoAnswer:
        return QStringLiteral("応答なし");
    case ExchangeOutcome::NotConnected:
        return QStringLiteral("未接続のため送れません");
    case ExchangeOutcome::SendFailed:
        return QStringLiteral("送れませんでした");
    case ExchangeOutcome::Disconnected:
        return QStringLiteral("接続が切れました");
    case ExchangeOutcome::NoReplyExpected:
        break;
    }
    return QStringLiteral("一斉送信（応答なし）");
}
