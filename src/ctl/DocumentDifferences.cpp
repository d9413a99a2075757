#include "ctl/DocumentDifferences.h"

#include "commands/SwitchTimeCommands.h"
#include "commands/TitleCommands.h"
#include "core/ShiftJisText.h"
#include "ctl/TitleTable.h"

namespace {

struct Differences {
    QStringList lines;

    void compare(const QString& field, const QString& inFile, const QString& onDevice) {
        if (inFile != onDevice)
            lines.append(QStringLiteral("%1: %2 in the file, %3 on the device")
                             .arg(field, inFile, onDevice));
    }
};

QString pageWord(int page) {
    return page == SettingsDocument::autoPage ? QStringLiteral("auto") : QString::number(page + 1);
}

QString onOff(int flag) {
    return flag != 0 ? QStringLiteral("on") : QStringLiteral("off");
}

// The title as it travels, fourteen characters padded with full-width spaces, shown without
// them; a title that cannot travel as it is.
QString titleWord(const SettingsDocument& document, int index) {
    const QByteArray bytes =
        fillTitle(document, index).value_or(document.titleTexts[std::size_t(index)].toByteArray());
    QString text = ShiftJisText::decode(bytes);
    while (text.endsWith(QChar(0x3000)))
        text.chop(1);
    return QStringLiteral("「%1」").arg(text);
}

} // namespace

QStringList documentDifferences(const SettingsDocument& file, const SettingsDocument& device) {
    Differences differences;
    for (int area = 0; area < SettingsDocument::areaCount; ++area) {
        const QString name = areaName(area);
        for (int page = 0; page < SettingsDocument::pageCount; ++page) {
            const QString place = QStringLiteral("%1 page %2 ").arg(name).arg(page + 1);
            const int index = SettingsDocument::titleIndex(area, page);
            differences.compare(place + QStringLiteral("title"), titleWord(file, index),
                                titleWord(device, index));
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
    differences.compare(QStringLiteral("white level"), QString::number(file.whiteLevel),
                        QString::number(device.whiteLevel));
    differences.compare(QStringLiteral("edge level"), QString::number(file.edgeLevel),
                        QString::number(device.edgeLevel));
    return differences.lines;
}
