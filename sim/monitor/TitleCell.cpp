#include "sim/monitor/TitleCell.h"

#include "sim/DeviceModel.h"

#include <QStringDecoder>

namespace sim {

namespace {

const QString getaMark = QStringLiteral("〓");
const QString fullWidthSpace = QStringLiteral("　");

bool isJisByte(int byte) {
    return byte >= 0x21 && byte <= 0x7E;
}

// The arithmetic JIS X 0208 to Shift-JIS mapping: two rows share one lead byte.
QByteArray shiftJis(quint16 code) {
    const int row = code >> 8;
    const int cell = code & 0xFF;
    const int lead = ((row + 1) >> 1) + (row <= 0x5E ? 0x70 : 0xB0);
    const int trail = (row & 1) ? cell + (cell >= 0x60 ? 0x20 : 0x1F) : cell + 0x7E;
    QByteArray bytes;
    bytes.append(char(lead)).append(char(trail));
    return bytes;
}

} // namespace

TitleCell TitleCell::blank() {
    TitleCell cell;
    cell.character = fullWidthSpace;
    return cell;
}

QString jisCharacter(quint16 code) {
    if (!isJisByte(code >> 8) || !isJisByte(code & 0xFF))
        return {};
    QStringDecoder decoder("windows-31j", QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(shiftJis(code));
    // Rows that code page 932 leaves empty decode to the replacement character (or to a
    // control character in some converters).
    if (decoder.hasError() || text.size() != 1 || text[0] == QChar::ReplacementCharacter ||
        text[0].category() == QChar::Other_Control)
        return {};
    return text;
}

TitleCell titleCell(quint16 code, const DeviceModel& model) {
    TitleCell cell;
    for (int number = 1; number <= DeviceModel::glyphCount; ++number) {
        if (DeviceModel::glyphCode(number) == code) {
            cell.kind = TitleCell::Kind::Glyph;
            cell.glyphNumber = number;
            cell.glyphDots = model.glyph(number);
            return cell;
        }
    }
    const QString character = jisCharacter(code);
    cell.character = character.isEmpty() ? getaMark : character;
    return cell;
}

} // namespace sim
