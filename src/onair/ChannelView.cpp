#include "onair/ChannelView.h"

#include "onair/TitleLinePainter.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

namespace onair {

ChannelView::ChannelView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChannelView::setLine(int row, const TitleLine& line) {
    if (lines_[row] == line)
        return;
    // Nothing keyed before or after: nothing on the screen changes.
    const bool unseen = !lines_[row].shown && !line.shown;
    lines_[row] = line;
    if (!unseen)
        update(lineRect(row));
}

QRectF ChannelView::frame() const {
    const double frameWidth = qMin(double(width()), height() * 16.0 / 9);
    const double frameHeight = frameWidth * 9 / 16;
    return QRectF((width() - frameWidth) / 2, (height() - frameHeight) / 2, frameWidth,
                  frameHeight);
}

QRect ChannelView::lineRect(int row) const {
    return titleLine::band(frame(), row).toAlignedRect();
}

void ChannelView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(rect(), Qt::black); // the monitor's bezel around the picture
    const QRectF video = frame();
    // Dark video: a night-blue field, a little lighter towards the middle.
    QLinearGradient field(video.topLeft(), video.bottomLeft());
    field.setColorAt(0, QColor(12, 16, 28));
    field.setColorAt(0.5, QColor(30, 38, 58));
    field.setColorAt(1, QColor(12, 16, 28));
    painter.fillRect(video, field);
    for (int row = 0; row < 2; ++row) {
        if (event->rect().intersects(lineRect(row)))
            titleLine::paint(painter, titleLine::cellsRect(video, row, lines_[row].position),
                             lines_[row]);
    }
}

} // namespace onair
