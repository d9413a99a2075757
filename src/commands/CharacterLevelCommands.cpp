#include "commands/CharacterLevelCommands.h"

#include "commands/CommandContext.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"

#include <algorithm>

namespace {
QByteArray levelLine(const char* literal, int level) {
    QByteArray line(literal);
    line[3] = char('0' + std::clamp(level, 0, characterLevelCount - 1));
    return line;
}
} // namespace

QByteArray whiteLevelLine(int level) {
    return levelLine("CWL0\r\n", level);
}

QByteArray edgeLevelLine(int level) {
    return levelLine("CEL0\r\n", level);
}

void sendWhiteLevel(CommandContext& context) {
    context.sender.send(whiteLevelLine(context.document.selectedWhiteLevel));
}

void sendEdgeLevel(CommandContext& context) {
    context.sender.send(edgeLevelLine(context.document.selectedEdgeLevel));
}
