#include "commands/SwitchTimeCommands.h"

#include "commands/CommandContext.h"
#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"

#include <algorithm>

int sendableSeconds(int seconds) {
    return std::clamp(seconds, 0, switchTimeCount - 1);
}

QByteArray switchTimeLine(int area, int page, int seconds) {
    QByteArray line("AST01T0101\r\n");
    line[4] = channelDigit(area);
    line[5] = lineLetter(area);
    twoDigits(page + 1, line.data() + 6);
    twoDigits(sendableSeconds(seconds), line.data() + 8);
    return line;
}

QByteArray switchTimesLine(int area, const std::array<int, SettingsDocument::pageCount>& times) {
    QByteArray line("AST01T");
    line[4] = channelDigit(area);
    line[5] = lineLetter(area);
    for (int seconds : times) {
        char digits[2];
        twoDigits(sendableSeconds(seconds), digits);
        line.append(digits, 2);
    }
    return line.append("\r\n");
}

void sendSwitchTime(CommandContext& context) {
    if (context.sender.isRunGoing())
        return;
    const int area = context.state.selectedArea;
    const int page = context.state.selectedPage;
    context.sender.send(switchTimeLine(area, page, context.document.autoSwitchTimes[area][page]));
}

void sendSwitchTimes(CommandContext& context, int area) {
    context.sender.send(switchTimesLine(area, context.document.autoSwitchTimes[area]));
}
