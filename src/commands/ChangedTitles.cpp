#include "commands/ChangedTitles.h"

#include "commands/CommandContext.h"
#include "commands/TitleCommands.h"
#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/ReplyParsing.h"

ChangedTitles::ChangedTitles(CommandContext& context, QObject* parent)
    : QObject(parent), state_(context.state), document_(context.document) {
    connect(&context.sender, &CommandSender::exchangeFinished, this,
            &ChangedTitles::followExchange);
    connect(&context.sender, &CommandSender::replyInterpreted, this, &ChangedTitles::followReply);
}

QList<int> ChangedTitles::indexes(const AppState& state) {
    QList<int> marked;
    for (int index = 0; index < int(state.changedTitles.size()); ++index) {
        if (state.changedTitles.test(std::size_t(index)))
            marked.append(index);
    }
    return marked;
}

void ChangedTitles::followExchange(const Exchange& exchange) {
    if (exchange.outcome != ExchangeOutcome::Accepted)
        return;
    const std::optional<TitleRecord> sent = parseTitle(exchange.line);
    if (!sent)
        return;
    // Compared as lines, so that two titles the device cannot tell apart count as one.
    if (titleLine(document_, sent->area, sent->page, TitleStorage::Stored).line == exchange.line)
        state_.changedTitles.reset(
            std::size_t(SettingsDocument::titleIndex(sent->area, sent->page)));
}

void ChangedTitles::followReply(const InterpretedReply& reply) {
    if (const auto* title = std::get_if<TitleRecord>(&reply.parsed.record))
        state_.changedTitles.reset(
            std::size_t(SettingsDocument::titleIndex(title->area, title->page)));
}
