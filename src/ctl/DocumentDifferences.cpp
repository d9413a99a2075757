#include "ctl/DocumentDifferences.h"

#include "commands/SwitchTimeCommands.h"
#include "commands/TitleCommands.h"
#include "core/ShiftJisText.h"
#include "ctl/TitleTable.h"

namespace {

constexpr qsizetype codesStart = 7; // "CT", channel, line and page come first in a title line
constexpr qsizetype codeDigits = 4;
constexpr qsizetype codesLength = codeDigits * titleByteLimit / 2;
const QByteArray fullWidthSpaceCode = "2121";

struct Differences {
    QStringList lines;

    void add(const QString& field, const QString& inFile, const QString& onDevice) {
        lines.append(
            QStringLiteral("%1: %2 in the file, %3 on the device").arg(field, inFile, onDevice));
    }

    void compare(const QString& field, const QString& inFile, const QString& onDevice) {
        if (inFile != onDevice)
            add(field, inFile, onDevice);
    }

    void compareExpected(const QString& field, int expected, int onDevice) {
        if (expected != onDevice)
            lines.append(QStringLiteral("%1: %2 expected, %3 on the device")
                             .arg(field)
                             .arg(expected)
                             .arg(onDevice));
    }
};

QString pageWord(int page) {
    return page == SettingsDocument::autoPage ? QStringLiteral("auto") : QString::number(page + 1);
}

QString onOff(int flag) {
    return flag != 0 ? QStringLiteral("on") : QStringLiteral("off");
}

// The hexadecimal digits of the fourteen JIS codes the title is sent as; nothing when it cannot
// be sent.
std::optional<QByteArray> sentCodes(const SettingsDocument& document, int area, int page) {
    const TitleLine title = titleLine(document, area, page, TitleStorage::Stored);
    if (!title.isSendable())
        return std::nullopt;
    return title.line.mid(codesStart, codesLength);
}

// The title as its characters, without the full-width spaces at its end; nothing when text
// cannot show it faithfully: a code without a character of its own, a control, or a character
// that more than one code stands for (the NEC and the JIS forms of ∪).
std::optional<QString> readableTitle(QByteArrayView bytes) {
    QString text = ShiftJisText::decode(bytes);
    if (ShiftJisText::encode(text) != bytes.toByteArray())
        return std::nullopt;
    for (const QChar character : text) {
        if (character.category() == QChar::Other_Control ||
            character == QChar::ReplacementCharacter)
            return std::nullopt;
    }
    while (text.endsWith(QChar(0x3000)))
        text.chop(1);
    return text;
}

// "JIS 3B7A 4C6B": the codes, without the full-width spaces at the end, at least one.
QString codesWord(QByteArray codes) {
    while (codes.size() > codeDigits && codes.endsWith(fullWidthSpaceCode))
        codes.chop(codeDigits);
    QStringList groups;
    for (qsizetype at = 0; at < codes.size(); at += codeDigits)
        groups.append(QString::fromLatin1(codes.mid(at, codeDigits)));
    return QStringLiteral("JIS ") + groups.join(QLatin1Char(' '));
}

void compareTitles(Differences& differences, const QString& field, const SettingsDocument& file,
                   const SettingsDocument& device, int area, int page) {
    const auto fileCodes = sentCodes(file, area, page);
    const auto deviceCodes = sentCodes(device, area, page);
    if (fileCodes && fileCodes == deviceCodes)
        return;
    const int index = SettingsDocument::titleIndex(area, page);
    const QByteArrayView fileBytes = file.titleTexts[std::size_t(index)].view();
    const QByteArrayView deviceBytes = device.titleTexts[std::size_t(index)].view();
    const auto fileText = readableTitle(fileBytes);
    const auto deviceText = readableTitle(deviceBytes);
    // Text only where it tells the two apart; codes otherwise.
    const bool asText = fileText && deviceText && *fileText != *deviceText;
    const auto word = [asText](const std::optional<QByteArray>& codes,
                               const std::optional<QString>& text, QByteArrayView bytes) {
        if (codes && !asText)
            return codesWord(*codes);
        if (text)
            return QStringLiteral("「%1」").arg(*text);
        return QStringLiteral("bytes ") + QString::fromLatin1(bytes.toByteArray().toHex(' '));
    };
    QString inFile = word(fileCodes, fileText, fileBytes);
    if (!fileCodes) {
        inFile += QStringLiteral(" (cannot be sent: %1)")
                      .arg(titleLine(file, area, page, TitleStorage::Stored).problem);
    }
    differences.add(field, inFile, word(deviceCodes, deviceText, deviceBytes));
}

} // namespace

QStringList documentDifferences(const SettingsDocument& file, const SettingsDocument& device,
                                const std::optional<CharacterLevels>& levels) {
    Differences differences;
    for (int area = 0; area < SettingsDocument::areaCount; ++area) {
        const QString name = areaName(area);
        for (int page = 0; page < SettingsDocument::pageCount; ++page) {
            const QString place = QStringLiteral("%1 page %2 ").arg(name).arg(page + 1);
            compareTitles(differences, place + QStringLiteral("title"), file, device, area, page);
            differences.compare(place + QStringLiteral("display"),
                                onOff(file.titleDisplayOn[area][page]),
                                onOff(device.titleDisplayOn[area][page]));
            differences.compare(place + QStringLiteral("switch time"),
                                QString::number(sendableSeconds(file.autoSwitchTimes[area][page])),
                                QString::number(device.autoSwitchTimes[area][page]));
        }
        differences.compare(name + QStringLiteral(" startup page"),
                            pageWord(file.startupPage[area]), pageWord(device.startupPage[area]));
        differences.compare(name + QStringLiteral(" display page"),
                            pageWord(file.displayPage[area]), pageWord(device.displayPage[area]));
        differences.compare(name + QStringLiteral(" position"),
                            QString::number(file.displayPosition[area]),
                            QString::number(device.displayPosition[area]));
    }
    if (levels) {
        differences.compareExpected(QStringLiteral("white level"), levels->white,
                                    device.whiteLevel);
        differences.compareExpected(QStringLiteral("edge level"), levels->edge, device.edgeLevel);
    }
    return differences.lines;
}
