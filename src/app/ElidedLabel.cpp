#include "app/ElidedLabel.h"

#include <QPainter>

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setElidedText(const QString& text, const QString& toolTip) {
    setText(text);
    setToolTip(toolTip.isEmpty() ? text : toolTip);
}

QSize ElidedLabel::sizeHint() const {
    return sizeFor(text());
}

QSize ElidedLabel::minimumSizeHint() const {
    return sizeFor(QStringLiteral("…"));
}

QSize ElidedLabel::sizeFor(const QString& text) const {
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(text) + margins.left() + margins.right(),
            fontMetrics().height() + margins.top() + margins.bottom()};
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect room = contentsRect();
    // Cut only what does not fit: elidedText measures a little wider than horizontalAdvance, and
    // would cut a text that has just the width it asked for.
    const bool fits = fontMetrics().horizontalAdvance(text()) <= room.width();
    painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                     fits ? text()
                          : fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
}
