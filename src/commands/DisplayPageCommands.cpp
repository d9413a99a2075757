#include "commands/DisplayPageCommands.h"

#include "commands/CommandContext.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"

#include <algorithm>

void writePageField(int page, char* destination) {
    if (page >= SettingsDocument::autoPage) {
        destination[0] = 'A';
        destination[1] = 'S';
        return;
    }
    twoDigits(std::max(page, 0) + 1, destination);
}

QByteArray displayPageLine(int area, int page) {
    QByteArray line("P01T01\r\n");
    line[2] = channelDigit(area);
    line[3] = lineLetter(area);
    writePageField(page, line.data() + 4);
    return line;
}

void sendDisplayPage(CommandContext& context, int area) {
    context.sender.send(displayPageLine(area, context.document.displayPage[area]));
}
