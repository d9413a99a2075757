#include "ui/PageLine.h"

#include "ui/TitleWarning.h"

#include <QPainter>
#include <QStyle>

PageLine::PageLine(QWidget* parent)
    : QLabel(parent), normalText_(palette().color(QPalette::WindowText)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
}

void PageLine::setLine(const QString& text, const QString& warning, bool changed) {
    changed_ = changed;
    QStringList notes;
    if (changed)
        notes.append(changedTitleNote);
    if (!warning.isEmpty())
        notes.append(warning);
    setText(text);
    setToolTip((QStringList{text} + notes).join(QLatin1Char('\n')));
    setAccessibleDescription(notes.join(QLatin1Char('\n')));
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, warning.isEmpty() ? normalText_ : refusedTitleColour);
    setPalette(colours);
    QFont marked = font();
    marked.setBold(!warning.isEmpty());
    setFont(marked);
    update(); // the bar, when only it changed
}

void PageLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    if (changed_) {
        const int bar = qMax(3, fontMetrics().averageCharWidth() / 2);
        painter.fillRect(QRect(room.topLeft(), QSize(bar, room.height())),
                         palette().color(QPalette::Highlight));
        room.setLeft(room.left() + 2 * bar);
    }
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), shown, foregroundRole());
}
