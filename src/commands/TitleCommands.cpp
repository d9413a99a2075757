#include "commands/TitleCommands.h"

#include "commands/CommandContext.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"
#include "protocol/JisConversion.h"

namespace {
constexpr char hexDigits[] = "0123456789ABCDEF";
constexpr qsizetype codesStart = 7;
} // namespace

std::optional<QByteArray> fillTitle(const SettingsDocument& document, int index) {
    if (index < 0 || index >= SettingsDocument::titleCount)
        return std::nullopt;
    QByteArray filled = document.titleTexts[index].toByteArray();
    if (filled.size() % 2 != 0 || filled.size() > titleByteLimit)
        return std::nullopt;
    while (filled.size() < titleByteLimit) {
        filled.append(char(fullWidthSpaceSjis >> 8));
        filled.append(char(fullWidthSpaceSjis & 0xFF));
    }
    return filled;
}

TitleLine titleLine(const SettingsDocument& document, int area, int page, TitleStorage storage) {
    if (area < 0 || area >= SettingsDocument::areaCount || page < 0 ||
        page >= SettingsDocument::pageCount)
        return {{}, {}, QStringLiteral("そのページはありません")};
    const int index = SettingsDocument::titleIndex(area, page);
    const QByteArrayView title = document.titleTexts[index].view();
    const auto refused = refusedCharacters(title);
    const auto filled = fillTitle(document, index);
    if (!refused.isEmpty() || !filled)
        return {{},
                refused.isEmpty() ? std::nullopt : std::optional(refused.first()),
                titleProblem(title).value_or(QString())};

    QByteArray line = "CT01T01" + QByteArray(4 * titleByteLimit / 2, '0') + "\r\n";
    line[1] = storage == TitleStorage::Stored ? 'T' : 'N';
    line[3] = channelDigit(area);
    line[4] = lineLetter(area);
    twoDigits(page + 1, line.data() + 5);
    for (int character = 0; character < titleByteLimit / 2; ++character) {
        const int code = static_cast<unsigned char>(filled->at(2 * character)) * 256 +
                         static_cast<unsigned char>(filled->at(2 * character + 1));
        const int jis = titleCharacterToJis(code);
        for (int digit = 0; digit < 4; ++digit)
            line[codesStart + 4 * character + digit] = hexDigits[(jis >> (12 - 4 * digit)) & 0xF];
    }
    return {line, std::nullopt, {}};
}

TitleLine sendTitle(CommandContext& context, TitleStorage storage, int index) {
    const TitleLine composed = titleLine(context.document, index / SettingsDocument::pageCount,
                                         index % SettingsDocument::pageCount, storage);
    if (composed.isSendable())
        context.sender.send(composed.line);
    return composed;
}
