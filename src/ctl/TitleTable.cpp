#include "ctl/TitleTable.h"

#include "commands/TitleCharacters.h"
#include "core/ShiftJisText.h"
#include "ctl/DeviceArguments.h"

#include <QMap>

QString areaName(int area) {
    return QStringLiteral("%1%2")
        .arg(area / 2 + 1)
        .arg(area % 2 == 0 ? QLatin1Char('T') : QLatin1Char('B'));
}

QByteArray exportTitles(const SettingsDocument& document) {
    QByteArray table;
    for (int area = 0; area < SettingsDocument::areaCount; ++area) {
        for (int page = 0; page < SettingsDocument::pageCount; ++page) {
            const auto& title =
                document.titleTexts[std::size_t(SettingsDocument::titleIndex(area, page))];
            table += QStringLiteral("%1\t%2\t%3\n")
                         .arg(areaName(area))
                         .arg(page + 1)
                         .arg(ShiftJisText::decode(title.view()))
                         .toUtf8();
        }
    }
    return table;
}

TitleImport importTitles(QByteArrayView table, SettingsDocument& document, bool skipBad) {
    TitleImport result;
    QMap<int, QByteArray> titles;
    const QList<QByteArray> lines = table.toByteArray().split('\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        QString line = QString::fromUtf8(lines[number]);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        const int area = fields.size() == 3 ? parseArea(fields[0]).value_or(-1) : -1;
        const int page = fields.size() == 3 ? parsePage(fields[1], false).value_or(-1) : -1;
        if (area < 0 || page < 0) {
            result.malformed.append(
                QStringLiteral("line %1: expected area (1T, 1B, 2T, 2B), page (1-64) and title "
                               "separated by tabs: %2")
                    .arg(number + 1)
                    .arg(line));
            continue;
        }
        const QString where = QStringLiteral("%1 page %2").arg(areaName(area)).arg(page + 1);
        const auto bytes = ShiftJisText::encode(fields[2]);
        if (!bytes) {
            result.refused.append(QStringLiteral("%1: a character of \"%2\" has no Shift-JIS form")
                                      .arg(where, fields[2]));
            continue;
        }
        if (const auto problem = titleProblem(*bytes)) {
            result.refused.append(QStringLiteral("%1: %2").arg(where, *problem));
            continue;
        }
        titles.insert(SettingsDocument::titleIndex(area, page), *bytes);
    }
    if (!result.malformed.isEmpty() || (!result.refused.isEmpty() && !skipBad))
        return result;
    for (auto title = titles.cbegin(); title != titles.cend(); ++title)
        document.titleTexts[std::size_t(title.key())].assign(title.value());
    result.imported = int(titles.size());
    return result;
}
