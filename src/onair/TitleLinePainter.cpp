#include "onair/TitleLinePainter.h"

#include "onair/TitleLine.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace onair::titleLine {

namespace {

constexpr int glyphSize = 48;
constexpr double lineWidthOfFrame = 0.8;
constexpr double positionStepOfFrame = 1.0 / 80; // seven steps either way stay in the frame
constexpr double marginOfFrame = 0.08;
constexpr int whiteGrey[4] = {150, 185, 220, 255};

double cellSize(const QRectF& frame) {
    return frame.width() * lineWidthOfFrame / TitleLine::cellCount;
}

double outlineWidth(int edgeLevel, double cell) {
    return edgeLevel * cell / 24;
}

QFont titleFont(double cell) {
    QFont font;
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("MS Gothic")});
    font.setPixelSize(qMax(1, qRound(cell * 0.86)));
    return font;
}

void addCharacter(QPainterPath& path, const QRectF& cell, const QString& character,
                  const QFont& font) {
    const QFontMetricsF metrics(font);
    const double x = cell.left() + (cell.width() - metrics.horizontalAdvance(character)) / 2;
    const double baseline =
        cell.top() + (cell.height() - metrics.ascent() - metrics.descent()) / 2 + metrics.ascent();
    path.addText(QPointF(x, baseline), font, character);
}

// The dots of a glyph: digit d holds row d / 12, columns 4 (d mod 12) to 4 (d mod 12) + 3, its
// most significant bit on the left.
void addGlyph(QPainterPath& path, const QRectF& cell, const QByteArray& digits) {
    const double dot = cell.width() / glyphSize;
    for (int index = 0; index < digits.size(); ++index) {
        const char digit = digits[index];
        const int value = digit <= '9' ? digit - '0' : digit - 'A' + 10;
        for (int bit = 0; bit < 4; ++bit) {
            if (value & (8 >> bit)) {
                const int column = 4 * (index % 12) + bit;
                const int row = index / 12;
                path.addRect(QRectF(cell.left() + column * dot, cell.top() + row * dot, dot, dot));
            }
        }
    }
}

} // namespace

QRectF cellsRect(const QRectF& frame, int row, int position) {
    const double cell = cellSize(frame);
    const double width = cell * TitleLine::cellCount;
    const double left =
        frame.left() + (frame.width() - width) / 2 +
        (position - TitleLine::middlePosition) * frame.width() * positionStepOfFrame;
    const double top = row == 0 ? frame.top() + frame.height() * marginOfFrame
                                : frame.bottom() - frame.height() * marginOfFrame - cell;
    return QRectF(left, top, width, cell);
}

QRectF band(const QRectF& frame, int row) {
    const double margin = outlineWidth(3, cellSize(frame)) + 2;
    const QRectF cells = cellsRect(frame, row, TitleLine::middlePosition);
    return QRectF(frame.left(), cells.top() - margin, frame.width(), cells.height() + 2 * margin);
}

void paint(QPainter& painter, const QRectF& cells, const TitleLine& line) {
    if (!line.shown)
        return;
    const double cell = cells.height();
    const QFont font = titleFont(cell);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (int i = 0; i < TitleLine::cellCount; ++i) {
        const QRectF box(cells.left() + i * cell, cells.top(), cell, cell);
        const Cell& keyed = line.cells[i];
        if (!keyed.dots.isEmpty())
            addGlyph(path, box, keyed.dots);
        else
            addCharacter(path, box, keyed.character, font);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double outline = outlineWidth(line.edgeLevel, cell);
    if (outline > 0) {
        // Stroked first, so the fill covers the inner half of the outline.
        painter.strokePath(
            path, QPen(Qt::black, 2 * outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    const int grey = whiteGrey[qBound(0, line.whiteLevel, 3)];
    painter.fillPath(path, QColor(grey, grey, grey));
    painter.restore();
}

} // namespace onair::titleLine
