#include "settings/TitlePreview.h"

#include "core/SettingsDocument.h"
#include "core/ShiftJisText.h"
#include "protocol/JisConversion.h"

#include <QtGlobal>

namespace {

constexpr int highestPosition = 15;
constexpr int highestLevel = 3;
const QString getaMark = QStringLiteral("〓");

// The character the device draws for a title character, or the geta mark.
QString keyedCharacter(QByteArrayView character) {
    if (character.size() != 2)
        return getaMark;
    const int code =
        static_cast<unsigned char>(character[0]) * 256 + static_cast<unsigned char>(character[1]);
    const int jis = titleCharacterToJis(code);
    const int sent = jis != 0 ? jisToSjis(jis) : 0;
    if (sent == 0)
        return getaMark;
    const char bytes[] = {char(sent >> 8), char(sent & 0xFF)};
    const QString text = ShiftJisText::decode(QByteArrayView(bytes, 2));
    if (text.size() != 1 || text[0] == QChar::ReplacementCharacter ||
        text[0].category() == QChar::Other_Control)
        return getaMark;
    return text;
}

} // namespace

onair::TitleLine titlePreviewLine(const SettingsDocument& document, int area, int page) {
    onair::TitleLine line;
    line.shown = document.titleDisplayOn[area][page] != 0;
    line.position = qBound(0, document.displayPosition[area], highestPosition);
    line.whiteLevel = qBound(0, document.selectedWhiteLevel, highestLevel);
    line.edgeLevel = qBound(0, document.selectedEdgeLevel, highestLevel);
    line.cells.fill(onair::Cell::blank());
    const QByteArrayView title =
        document.titleTexts[SettingsDocument::titleIndex(area, page)].view();
    qsizetype offset = 0;
    for (int cell = 0; cell < onair::TitleLine::cellCount && offset < title.size(); ++cell) {
        const bool pair = ShiftJisText::isLeadByte(static_cast<unsigned char>(title[offset])) &&
                          offset + 1 < title.size();
        const QByteArrayView character = title.sliced(offset, pair ? 2 : 1);
        line.cells[cell].character = keyedCharacter(character);
        offset += character.size();
    }
    return line;
}

QString titlePreviewState(const onair::TitleLine& line) {
    QString state = QStringLiteral("表示位置 %1　白レベル %2　エッジレベル %3")
                        .arg(line.position)
                        .arg(line.whiteLevel)
                        .arg(line.edgeLevel);
    if (!line.shown)
        state += QStringLiteral("　タイトル表示 OFF（このページのタイトルは出ません）");
    return state;
}
