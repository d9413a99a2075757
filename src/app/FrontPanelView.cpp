#include "app/FrontPanelView.h"

#include "core/SettingsDocument.h"

#include <QPainter>

namespace {

const QColor faceColour(255, 255, 204);
const QColor black(0, 0, 0);
const QColor darkGrey(34, 34, 34);
const QColor lineGrey(80, 80, 80);
const QColor green(0, 255, 0);
const QColor white(255, 255, 255);

// A rectangle given by its left, top and its exclusive right, bottom, filled and outlined in
// one colour.
void fillBox(QPainter& painter, int left, int top, int right, int bottom, const QColor& colour) {
    painter.fillRect(QRect(left, top, right - left, bottom - top), colour);
}

void drawLine(QPainter& painter, QPoint from, QPoint to) {
    painter.drawLine(QLineF(from, to));
}

// Text placed with its top-left corner at the point, on a transparent background.
void drawText(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(QRect(x, y, 2000, 200), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     text);
}

} // namespace

FrontPanelView::FrontPanelView(const SettingsDocument& document, QWidget* parent)
    : QWidget(parent), document_(document) {
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, white);
    setPalette(background);
    setFixedSize(panelWidth, panelHeight);
}

void FrontPanelView::refreshFileNameLabel() {
    repaint();
}

void FrontPanelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrontPanel(painter, fileNameLabelText(document_));
}

QString fileNameLabelText(const SettingsDocument& document) {
    if (document.documentPath.isEmpty())
        return QStringLiteral("File Name ");
    return QString::fromUtf8(document.documentPath.view());
}

void drawFrontPanel(QPainter& painter, const QString& fileNameLabel) {
    painter.save();

    fillBox(painter, 0, 0, 630, 132, faceColour);

    // Power switch body
    fillBox(painter, 486, 60, 504, 96, black);
    fillBox(painter, 504, 42, 576, 114, black);

    // Switch frame, the six keys and the feet
    fillBox(painter, 516, 45, 525, 111, darkGrey);
    fillBox(painter, 516, 45, 564, 54, darkGrey);
    fillBox(painter, 555, 45, 564, 111, darkGrey);
    fillBox(painter, 516, 102, 564, 111, darkGrey);
    for (int key = 0; key < 6; ++key)
        fillBox(painter, 75 + 39 * key, 69, 105 + 39 * key, 99, darkGrey);
    fillBox(painter, 60, 133, 120, 150, darkGrey);
    fillBox(painter, 510, 133, 570, 150, darkGrey);

    // Top rule, with a gap for the word POWER
    painter.setPen(QPen(lineGrey, 3, Qt::SolidLine, Qt::FlatCap));
    drawLine(painter, {12, 24}, {513, 24});
    drawLine(painter, {567, 24}, {618, 24});

    // Green lines from the small black block into the switch body
    painter.setPen(QPen(green, 3, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < 6; ++i) {
        const int y = 3 * (23 + i) + 1;
        drawLine(painter, {492, y}, {510, y});
    }

    painter.setPen(lineGrey);
    drawText(painter, 234, 2, QStringLiteral("TITLE GENERATOR"));
    drawText(painter, 480, 42, QStringLiteral("ON"));
    drawText(painter, 477, 99, QStringLiteral("OFF"));
    drawText(painter, 519, 18, QStringLiteral("POWER"));
    drawText(painter, 69, 48, QStringLiteral("MENU"));
    drawText(painter, 114, 48, QStringLiteral(" ←"));
    drawText(painter, 153, 48, QStringLiteral(" →"));
    drawText(painter, 192, 48, QStringLiteral(" ↑"));
    drawText(painter, 231, 48, QStringLiteral(" ↓"));
    drawText(painter, 265, 48, QStringLiteral("ENTER"));
    drawText(painter, 124, 132, fileNameLabel);

    painter.setPen(white);
    drawText(painter, 534, 60, QStringLiteral("Ι"));
    drawText(painter, 534, 81, QStringLiteral("○"));

    painter.restore();
}
