#include "app/FrontPanelView.h"
#include "document/SettingsDocument.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

QImage renderPanel(const QString& label) {
    QImage image(FrontPanelView::panelWidth, FrontPanelView::panelHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawFrontPanel(painter, label);
    return image;
}

} // namespace

class FrontPanelTest : public QObject {
    Q_OBJECT
private slots:
    // One sample per kind of shape, at a corner where one is given.
    void shapesAtTheirCoordinates_data() {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("colour");
        const QColor face(255, 255, 204), black(0, 0, 0), dark(34, 34, 34);
        QTest::newRow("face bottom-right") << QPoint(629, 131) << face;
        QTest::newRow("switch small block") << QPoint(486, 60) << black;
        QTest::newRow("switch frame bar") << QPoint(516, 80) << dark;
        QTest::newRow("last key's last") << QPoint(299, 98) << dark;
        QTest::newRow("top rule start") << QPoint(12, 24) << QColor(80, 80, 80);
        QTest::newRow("green line") << QPoint(508, 85) << QColor(0, 255, 0);
    }

    void shapesAtTheirCoordinates() {
        QFETCH(QPoint, point);
        QFETCH(QColor, colour);
        static const QImage image = renderPanel(QStringLiteral("File Name "));
        QCOMPARE(image.pixelColor(point), colour);
    }

    // Each text leaves dark (on the switch: light) pixels just below and right of its corner;
    // text is antialiased, so its pixels are not all of one colour.
    void textsAreDrawn() {
        const QImage image = renderPanel(QStringLiteral("File Name "));
        const int texts[][3] = {{234, 2, 90},  {480, 42, 12}, {477, 99, 14},  {519, 18, 30},
                                {69, 48, 25},  {114, 48, 20}, {153, 48, 20},  {192, 48, 20},
                                {231, 48, 20}, {265, 48, 30}, {124, 132, 50}, {534, 60, 10},
                                {534, 81, 12}};
        for (const auto& [left, top, width] : texts) {
            int count = 0;
            for (int y = top; y < top + 12; ++y)
                for (int x = left; x < left + width; ++x)
                    count += (qGray(image.pixel(x, y)) > 150) == (left == 534);
            QVERIFY2(count > 3, qPrintable(QString("no text at %1,%2").arg(left).arg(top)));
        }
    }

    void viewPaintsTheDocumentPath() {
        SettingsDocument document;
        FrontPanelView view(document);
        document.documentPath.assign(QStringLiteral("/tmp/番組.dat").toUtf8());
        view.refreshFileNameLabel();
        const QRect label(124, 132, 500, 18);
        QCOMPARE(view.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(label),
                 renderPanel(QStringLiteral("/tmp/番組.dat")).copy(label));
    }
};

QTEST_MAIN(FrontPanelTest)
#include "tst_frontpanel.moc"
