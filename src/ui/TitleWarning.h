#pragma once

#include <QByteArrayView>
#include <QColor>
#include <QString>

// The colour in which a title that cannot be sent is shown.
inline const QColor refusedTitleColour(0xC0, 0, 0);
// Said of a title changed in this session and not yet accepted by the device.
inline const QString changedTitleNote = QStringLiteral("本体に未設定の変更があります");

// What the operator must know about a title before sending or saving it: which character
// cannot be sent and why (and how many more), and that the file cannot hold it, in the words
// Save would use. Empty for a title that can be sent and saved. The title box, the page lists
// and the page choices all show this one text, so nothing is refused later that was not marked.
QString titleWarning(QByteArrayView title);
