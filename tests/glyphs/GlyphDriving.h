#pragma once

#include "core/AppState.h"
#include "settings/DialogDriving.h"

#include <QLineEdit>

// The 576 digits of the glyph being edited.
inline QByteArray glyphDigits(const AppState& state) {
    return QByteArray(state.glyphSample.data(), glyphDigitCount);
}

// Drags with the left button from one point to another through the points between.
inline void drag(QWidget& widget, QPoint from, QPoint to, int steps = 10) {
    QTest::mousePress(&widget, Qt::LeftButton, {}, from);
    for (int step = 1; step <= steps; ++step)
        QTest::mouseMove(&widget, from + (to - from) * step / steps);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, to);
}

inline void typeSample(QDialog& dialog, const QString& text) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("sampleEdit"));
    edit->clear();
    // Typed one character at a time, as an input method hands them over.
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(character), {});
}
