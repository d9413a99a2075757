#include "ui/PageLine.h"

#include "ui/TitleWarning.h"

#include <QPainter>
#include <QStyle>

PageLine::PageLine(QWidget* parent)
    : QLabel(parent), normalText_(palette().color(QPalette::WindowText)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
}

void PageLine::setLine(const QString& text, const QString& warning) {
    setText(text);
    setToolTip(warning.isEmpty() ? text : text + QLatin1Char('\n') + warning);
    setAccessibleDescription(warning);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, warning.isEmpty() ? normalText_ : refusedTitleColour);
    setPalette(colours);
    QFont marked = font();
    marked.setBold(!warning.isEmpty());
    setFont(marked);
}

void PageLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), shown, foregroundRole());
}
