#include "ctl/DeviceArguments.h"

#include "core/SettingsDocument.h"

#include <QStringList>

std::optional<int> parseNumber(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || text.startsWith(QLatin1Char('+')) || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<int> parseArea(const QString& text) {
    static const QStringList names{QStringLiteral("1T"), QStringLiteral("1B"), QStringLiteral("2T"),
                                   QStringLiteral("2B")};
    const qsizetype named = names.indexOf(text.toUpper());
    if (named >= 0)
        return int(named);
    return parseNumber(text, 0, SettingsDocument::areaCount - 1);
}

std::optional<int> parsePage(const QString& text, bool allowAuto) {
    if (allowAuto && text.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return SettingsDocument::autoPage;
    const auto page = parseNumber(text, 1, SettingsDocument::pageCount);
    if (!page)
        return std::nullopt;
    return *page - 1;
}

QString badArgument(const QString& what, const QString& text, const QString& expected) {
    return QStringLiteral("bad %1 \"%2\": expected %3").arg(what, text, expected);
}
