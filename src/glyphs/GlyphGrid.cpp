#include "glyphs/GlyphGrid.h"

#include <QPainter>

using namespace GlyphBitmap;

GlyphGrid::GlyphGrid(QWidget* parent) : QWidget(parent) {
    setFixedSize(gridWidth, gridHeight);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Every paint covers the whole grid.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GlyphGrid::showSample(const GlyphSample* sample) {
    sample_ = sample;
    update();
}

std::optional<QPoint> GlyphGrid::editableDotAt(QPoint point) {
    if (point.x() < cellWidth || point.x() >= gridWidth - cellWidth || point.y() < cellHeight ||
        point.y() >= gridHeight - cellHeight)
        return std::nullopt;
    return QPoint(point.x() / cellWidth, point.y() / cellHeight);
}

QSize GlyphGrid::sizeHint() const {
    return {gridWidth, gridHeight};
}

void GlyphGrid::paintEvent(QPaintEvent*) {
    static const QColor setDot(255, 255, 255);
    static const QColor clearDot(0, 0, 255);
    static const QColor clearOutline(0, 0, 0);
    QPainter painter(this);
    for (int row = 0; row < dotCount; ++row) {
        for (int column = 0; column < dotCount; ++column) {
            const QRect cell(column * cellWidth, row * cellHeight, cellWidth, cellHeight);
            if (sample_ != nullptr && isDotSet(*sample_, column, row)) {
                painter.fillRect(cell, setDot);
            } else {
                // A one-pixel outline inside the cell, so neighbouring cells show two lines.
                painter.fillRect(cell, clearOutline);
                painter.fillRect(cell.adjusted(1, 1, -1, -1), clearDot);
            }
        }
    }
}
