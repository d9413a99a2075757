#include "commands/DisplayPositionCommands.h"

#include "commands/CommandContext.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"

#include <algorithm>

QByteArray displayPositionLine(int area, int position) {
    QByteArray line("CTDPO01T00\r\n");
    line[6] = channelDigit(area);
    line[7] = lineLetter(area);
    twoDigits(std::clamp(position, 0, displayPositionCount - 1), line.data() + 8);
    return line;
}

void sendDisplayPosition(CommandContext& context, int area) {
    context.sender.send(displayPositionLine(area, context.document.displayPosition[area]));
}
