#include "commands/StartupPageCommands.h"

#include "commands/CommandContext.h"
#include "commands/DisplayPageCommands.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"

QByteArray startupPageLine(int area, int page) {
    QByteArray line("SUS01T01\r\n");
    line[4] = channelDigit(area);
    line[5] = lineLetter(area);
    writePageField(page, line.data() + 6);
    return line;
}

void sendStartupPage(CommandContext& context, int area) {
    context.sender.send(startupPageLine(area, context.document.startupPage[area]));
}
