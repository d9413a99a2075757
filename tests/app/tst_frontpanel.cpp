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

// Counts the pixels inside the rectangle that are dark (or, for white text, light); text may
// be antialiased, so its pixels are not all of the exact colour.
int textPixels(const QImage& image, QRect area, bool whiteText) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += whiteText ? qGray(image.pixel(x, y)) > 150 : qGray(image.pixel(x, y)) < 150;
    return count;
}

} // namespace

class FrontPanelTest : public QObject {
    Q_OBJECT
private slots:
    // Each shape is sampled at its corners and just outside them.
    void shapesAtTheirCoordinates_data() {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("colour");
        const QColor face(255, 255, 204), black(0, 0, 0), dark(34, 34, 34), grey(80, 80, 80),
            green(0, 255, 0), white(255, 255, 255);
        QTest::newRow("face bottom-right") << QPoint(629, 131) << face;
        QTest::newRow("right of face") << QPoint(630, 50) << white;
        QTest::newRow("below face") << QPoint(300, 132) << white;
        QTest::newRow("switch small block") << QPoint(486, 60) << black;
        QTest::newRow("below small block") << QPoint(490, 96) << face;
        QTest::newRow("switch body last") << QPoint(575, 113) << black;
        QTest::newRow("beside switch body") << QPoint(576, 80) << face;
        QTest::newRow("switch inside frame") << QPoint(540, 70) << black;
        QTest::newRow("frame left bar") << QPoint(516, 80) << dark;
        QTest::newRow("frame bottom bar") << QPoint(540, 110) << dark;
        for (int key = 0; key < 6; ++key) {
            QTest::addRow("key %d first", key) << QPoint(75 + 39 * key, 69) << dark;
            QTest::addRow("key %d last", key) << QPoint(104 + 39 * key, 98) << dark;
            QTest::addRow("after key %d", key) << QPoint(105 + 39 * key, 80) << face;
        }
        QTest::newRow("left foot") << QPoint(60, 133) << dark;
        QTest::newRow("right foot last") << QPoint(569, 149) << dark;
        QTest::newRow("below feet") << QPoint(60, 150) << white;
        QTest::newRow("top rule start") << QPoint(12, 24) << grey;
        QTest::newRow("top rule gap") << QPoint(515, 24) << face;
        QTest::newRow("top rule right part") << QPoint(600, 24) << grey;
        QTest::newRow("top rule after end") << QPoint(619, 24) << face;
        QTest::newRow("green in small block") << QPoint(495, 70) << green;
        QTest::newRow("green in body") << QPoint(508, 85) << green;
        QTest::newRow("after green lines") << QPoint(510, 80) << black;
    }

    void shapesAtTheirCoordinates() {
        QFETCH(QPoint, point);
        QFETCH(QColor, colour);
        static const QImage image = renderPanel(QStringLiteral("File Name "));
        QCOMPARE(image.pixelColor(point), colour);
    }

    // Each text leaves dark (or, on the switch, white) pixels just below and right of its corner.
    void textsAreDrawn() {
        const QImage image = renderPanel(QStringLiteral("File Name "));
        const struct {
            QPoint corner;
            int width;
            bool white;
        } texts[] = {{{234, 2}, 90, false},  {{480, 42}, 12, false},  {{477, 99}, 14, false},
                     {{519, 18}, 30, false}, {{69, 48}, 25, false},   {{114, 48}, 20, false},
                     {{153, 48}, 20, false}, {{192, 48}, 20, false},  {{231, 48}, 20, false},
                     {{265, 48}, 30, false}, {{124, 132}, 50, false}, {{534, 60}, 10, true},
                     {{534, 81}, 12, true}};
        for (const auto& text : texts)
            QVERIFY2(
                textPixels(image, QRect(text.corner, QSize(text.width, 12)), text.white) > 3,
                qPrintable(QString("no text at %1,%2").arg(text.corner.x()).arg(text.corner.y())));
        QCOMPARE(textPixels(image, QRect(200, 2, 30, 14), false), 0); // left of the caption
    }

    void viewPaintsTheDocumentPath() {
        SettingsDocument document;
        FrontPanelView view(document);
        QCOMPARE(fileNameLabelText(document), QStringLiteral("File Name "));
        const QImage untitled = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        document.documentPath.assign(QStringLiteral("/tmp/a-much-longer-path/番組.dat").toUtf8());
        QCOMPARE(fileNameLabelText(document), QStringLiteral("/tmp/a-much-longer-path/番組.dat"));
        view.refreshFileNameLabel();
        const QImage titled = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect label(124, 132, 500, 18);
        QVERIFY(untitled.copy(label) != titled.copy(label));
        QCOMPARE(untitled.copy(0, 0, 630, 132), titled.copy(0, 0, 630, 132));
        QCOMPARE(titled.copy(label), renderPanel(fileNameLabelText(document)).copy(label));
    }
};

QTEST_MAIN(FrontPanelTest)
#include "tst_frontpanel.moc"
