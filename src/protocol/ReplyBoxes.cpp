#include "protocol/ReplyBoxes.h"

#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

ReplyBoxes::ReplyBoxes(const AppState& state, CommandSender& sender, MessageBoxes& boxes,
                       QObject* parent)
    : QObject(parent), state_(state), sender_(sender), boxes_(boxes) {
    connect(&sender, &CommandSender::replyInterpreted, this, &ReplyBoxes::showReply);
    connect(&sender, &CommandSender::exchangeFinished, this, &ReplyBoxes::showOutcome);
}

void ReplyBoxes::showReply(const InterpretedReply& reply) {
    const ReplyKind kind = reply.parsed.kind;
    const QString text = replyText(kind, reply.link, reply.glyphReadPending);
    if (kind == ReplyKind::Accepted) {
        // A run shows its own progress instead.
        if (!sender_.isRunGoing())
            showAccepted(reply.link, text);
    } else if (kind == ReplyKind::Refused && reply.glyphReadPending &&
               reply.link == ReplyLink::Tcp) {
        boxes_.showStopError(text);
    } else if (!text.isEmpty()) {
        boxes_.showError(text);
    }
    // The last title of a read-back, whether or not the read-back runs.
    if (const auto* title = std::get_if<TitleRecord>(&reply.parsed.record);
        title && title->area == SettingsDocument::areaCount - 1 &&
        title->page == SettingsDocument::pageCount - 1)
        boxes_.showSuccess(QStringLiteral("Read ＯＫ"));
}

void ReplyBoxes::showAccepted(ReplyLink link, const QString& text) {
    if (!state_.view.successBoxes)
        emit successInsteadOfBox(text);
    else if (link == ReplyLink::Serial)
        boxes_.showSettingDone();
    else
        boxes_.showSuccess(text);
}

void ReplyBoxes::showOutcome(const Exchange& exchange) {
    // Told once per failure; and nobody waits for an answer while the program ends.
    if (exchange.endedWithEarlier || state_.running == 0)
        return;
    const bool serial = exchange.link == ReplyLink::Serial;
    switch (exchange.outcome) {
    case ExchangeOutcome::NotConnected:
        boxes_.showError(QStringLiteral("Socket が接続されていません"));
        break;
    case ExchangeOutcome::SendFailed:
        boxes_.showError(QStringLiteral("Socket 送信"), exchange.detail);
        break;
    case ExchangeOutcome::NoAnswer:
    case ExchangeOutcome::Disconnected:
        if (serial)
            boxes_.showStopError(QStringLiteral("No Connect"), exchange.detail);
        else
            boxes_.showError(QStringLiteral("Answer が､きません"), exchange.detail);
        break;
    default:
        break; // a reply shows its own box
    }
}
