#include "protocol/ReplyHandler.h"

#include "core/AppState.h"
#include "core/ExchangeState.h"
#include "core/SettingsDocument.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReadBackStore.h"

namespace {

struct ReplyTexts {
    const char* glyphAutoSwitching;
    const char* modeDifference;
    const char* menuDisplay;
    const char* errors[4];
};

const ReplyTexts serialTexts{"自動切換え中！",
                             "Mode difference",
                             "Menu Display",
                             {"Framing Error", "Parity Error", "Over run Error", "Command Error"}};
const ReplyTexts tcpTexts{
    "Socket 自動切換え中！",
    "Socket mode difference",
    "Socket Menu Display",
    {"Socket Framing", "Socket Framing", "Socket Over run", "Socket Command"}};

} // namespace

ReplyHandler::ReplyHandler(AppState& state, ExchangeState& exchange, SettingsDocument& document,
                           MessageBoxes& boxes, QObject* parent)
    : QObject(parent), state_(state), exchange_(exchange), document_(document), boxes_(boxes) {}

void ReplyHandler::handleReply(QByteArrayView line, ReplyLink link) {
    const QByteArray received = line.toByteArray();
    if (!line.isEmpty()) {
        if (link == ReplyLink::Serial && state_.link.isRs485())
            line = withoutAddress(line);
        const ParsedReply reply = parseReply(line, link);
        exchange_.exchangeFailed = 0;
        storeReadBack(reply.record, document_, state_.glyphSample);
        report(reply.kind, link);
        if (std::holds_alternative<GlyphRecord>(reply.record))
            emit glyphSampleChanged();
        // The last title of a read-back, whether or not the read-back runs.
        if (const auto* title = std::get_if<TitleRecord>(&reply.record);
            title && title->area == 3 && title->page == SettingsDocument::pageCount - 1)
            boxes_.showSuccess(QStringLiteral("Read ＯＫ"));
    }
    exchange_.glyphReadPending = 0;
    emit replyHandled(received, link);
}

void ReplyHandler::report(ReplyKind kind, ReplyLink link) {
    const ReplyTexts& texts = link == ReplyLink::Serial ? serialTexts : tcpTexts;
    switch (kind) {
    case ReplyKind::Accepted:
        if (exchange_.runGoing)
            break;
        if (link == ReplyLink::Serial)
            boxes_.showSettingDone();
        else
            boxes_.showSuccess(QStringLiteral("Socket ＯＫ"));
        break;
    case ReplyKind::Refused:
        if (exchange_.glyphReadPending == 0)
            boxes_.showError(QString::fromUtf8(texts.modeDifference));
        else if (link == ReplyLink::Serial)
            boxes_.showError(QString::fromUtf8(texts.glyphAutoSwitching));
        else
            boxes_.showStopError(QString::fromUtf8(texts.glyphAutoSwitching));
        break;
    case ReplyKind::MenuDisplay:
        boxes_.showError(QString::fromUtf8(texts.menuDisplay));
        break;
    case ReplyKind::FramingError:
    case ReplyKind::ParityError:
    case ReplyKind::OverrunError:
    case ReplyKind::CommandError:
        exchange_.exchangeFailed = 1;
        boxes_.showError(QString::fromUtf8(texts.errors[int(kind) - int(ReplyKind::FramingError)]));
        break;
    default:
        break; // read-back replies are stored silently; anything else says nothing
    }
}
