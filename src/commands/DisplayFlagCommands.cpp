#include "commands/DisplayFlagCommands.h"

#include "commands/CommandContext.h"
#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"

QByteArray displayFlagLine(int area, int page, int flag) {
    QByteArray line("CTD01T01OF\r\n");
    line[4] = channelDigit(area);
    line[5] = lineLetter(area);
    twoDigits(page + 1, line.data() + 6);
    if (flag != 0)
        line.replace(8, 2, "ON");
    return line;
}

QByteArray displayFlagsLine(int area, const std::array<int, SettingsDocument::pageCount>& flags) {
    QByteArray line("CTD01T");
    line[4] = channelDigit(area);
    line[5] = lineLetter(area);
    for (int flag : flags)
        line.append(flag != 0 ? 'N' : 'F');
    return line.append("\r\n");
}

void sendDisplayFlag(CommandContext& context) {
    const int area = context.state.selectedArea;
    const int page = context.state.selectedPage;
    context.sender.send(displayFlagLine(area, page, context.document.titleDisplayOn[area][page]));
}

void sendDisplayFlags(CommandContext& context, int area) {
    context.sender.send(displayFlagsLine(area, context.document.titleDisplayOn[area]));
}
