#pragma once

#include "core/SettingsDocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The document's titles as a UTF-8 table of tab-separated area, page and title, one title a line
// ("1T\t1\tニュース"): what a spreadsheet reads and writes.

// All 256 titles, area by area, page by page.
QByteArray exportTitles(const SettingsDocument& document);

struct TitleImport {
    QStringList malformed; // lines that are not area, page and title: nothing can be imported
    QStringList refused;   // titles that cannot be sent, with area, page and the character
    int imported = 0;      // titles written into the document
};

// Writes the table's titles into the document. When a line is malformed nothing changes; when a
// title cannot be sent nothing changes either, unless skipBad, which leaves that title as it was
// and takes the others.
TitleImport importTitles(QByteArrayView table, SettingsDocument& document, bool skipBad);

// "1T" to "2B" for areas 0 to 3.
QString areaName(int area);
