#include "settings/StartupPageCommands.h"

#include "document/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"
#include "settings/DialogContext.h"
#include "settings/DisplayPageCommands.h"

QByteArray startupPageLine(int area, int page) {
    QByteArray line("SUS01T01\r\n");
    line[4] = channelDigit(area);
    line[5] = lineLetter(area);
    writePageField(page, line.data() + 6);
    return line;
}

void sendStartupPage(DialogContext& context, int area) {
    context.sender.send(startupPageLine(area, context.document.startupPage[area]));
}
