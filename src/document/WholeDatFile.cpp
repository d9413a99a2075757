#include "document/WholeDatFile.h"

#include "core/SettingsDocument.h"
#include "core/ShiftJisText.h"

#include <limits>

namespace {

constexpr int lineCount = 784;
constexpr qsizetype numberLimit = 11; // sign and ten digits: no 32-bit number is longer
constexpr qsizetype shownLimit = 40;  // bytes of a wrong line quoted in the message

struct Block {
    int lines;
    const char* expected; // what each of its lines holds, for the message
    int low;
    int high;
    bool titles;
};

constexpr int anyNumberLow = std::numeric_limits<int>::min();
constexpr int anyNumberHigh = std::numeric_limits<int>::max();

// The lines in the order the program writes them.
constexpr Block layout[] = {
    {SettingsDocument::titleCount, "a title display flag 0 or 1", 0, 1, false},
    {SettingsDocument::titleCount, "a switching time 0 to 99", 0, 99, false},
    {SettingsDocument::areaCount, "a start-up page 0 to 64", 0, SettingsDocument::autoPage, false},
    {SettingsDocument::areaCount, "a display page 0 to 64", 0, SettingsDocument::autoPage, false},
    // The levels last read back: one digit, as the device reports them.
    {2, "a character level 0 to 9", 0, 9, false},
    {2, "a number", anyNumberLow, anyNumberHigh, false},
    {SettingsDocument::titleCount,
     "a title (one word of at most 29 bytes without blanks, \"s\" for none)", 0, 0, true},
    {SettingsDocument::areaCount, "a display position 0 to 15", 0, 15, false},
};

constexpr int layoutLines() {
    int lines = 0;
    for (const Block& block : layout)
        lines += block.lines;
    return lines;
}
static_assert(layoutLines() == lineCount);

bool isNumberIn(QByteArrayView line, int low, int high) {
    const QByteArrayView digits = line.startsWith('-') ? line.sliced(1) : line;
    if (digits.isEmpty() || line.size() > numberLimit)
        return false;
    for (char digit : digits) {
        if (digit < '0' || digit > '9')
            return false;
    }
    bool ok = false;
    const int value = line.toByteArray().toInt(&ok, 10);
    return ok && value >= low && value <= high;
}

// One token of the reader, and one that fits the title's field without being cut.
bool isTitle(QByteArrayView line) {
    if (line.isEmpty() || line.size() > SettingsDocument::Title::capacity())
        return false;
    for (char byte : line) {
        if (static_cast<unsigned char>(byte) <= ' ')
            return false;
    }
    return true;
}

QString quoted(QByteArrayView line) {
    const QString text = ShiftJisText::decode(line.first(std::min(line.size(), shownLimit)));
    return QStringLiteral("\"%1%2\"")
        .arg(text, line.size() > shownLimit ? QStringLiteral("…") : QString());
}

} // namespace

std::optional<QString> wholeDatFileProblem(QByteArrayView bytes) {
    if (bytes.size() > wholeDatFileLimit)
        return QStringLiteral("%1 bytes, more than any settings file holds").arg(bytes.size());
    qsizetype start = 0;
    int number = 0;
    for (const Block& block : layout) {
        for (int index = 0; index < block.lines; ++index) {
            ++number;
            if (start == bytes.size()) {
                return QStringLiteral("line %1 is missing: the file ends after %2 of its %3 lines")
                    .arg(number)
                    .arg(number - 1)
                    .arg(lineCount);
            }
            const qsizetype end = bytes.indexOf('\n', start);
            if (end < 0)
                return QStringLiteral("line %1 has no line end: the file is cut short").arg(number);
            QByteArrayView line = bytes.sliced(start, end - start);
            if (line.endsWith('\r'))
                line.chop(1);
            start = end + 1;
            if (block.titles ? !isTitle(line) : !isNumberIn(line, block.low, block.high)) {
                return QStringLiteral("line %1: %2 is expected, not %3")
                    .arg(number)
                    .arg(QString::fromUtf8(block.expected), quoted(line));
            }
        }
    }
    if (start < bytes.size())
        return QStringLiteral("line %1: the file goes on after its %2 lines")
            .arg(lineCount + 1)
            .arg(lineCount);
    return std::nullopt;
}
