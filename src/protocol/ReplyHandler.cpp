#include "protocol/ReplyHandler.h"

#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "protocol/ReadBackStore.h"

ReplyHandler::ReplyHandler(AppState& state, SettingsDocument& document, QObject* parent)
    : QObject(parent), state_(state), document_(document) {}

InterpretedReply ReplyHandler::handleReply(QByteArrayView line, ReplyLink link,
                                           bool glyphReadPending) {
    if (link == ReplyLink::Serial && state_.link.isRs485() && !line.isEmpty())
        line = withoutAddress(line);
    InterpretedReply reply{line.toByteArray(), link, {}, glyphReadPending};
    if (line.isEmpty())
        return reply;
    reply.parsed = parseReply(line, link);
    storeReadBack(reply.parsed.record, document_, state_.glyphSample);
    if (std::holds_alternative<GlyphRecord>(reply.parsed.record))
        emit glyphSampleChanged();
    return reply;
}
