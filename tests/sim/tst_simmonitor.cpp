#include "onair/ChannelView.h"
#include "sim/Device.h"
#include "sim/TcpDeviceServer.h"
#include "sim/monitor/MonitorWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QTcpSocket>
#include <QTest>

namespace {

// Records the rectangles that the channel views repaint.
class PaintRecorder : public QObject {
public:
    QList<std::pair<QObject*, QRect>> painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted.append({watched, static_cast<QPaintEvent*>(event)->rect()});
        return false;
    }
};

template <typename Widget> Widget* named(const QWidget& window, const QString& accessibleName) {
    for (Widget* widget : window.findChildren<Widget*>()) {
        if (widget->accessibleName() == accessibleName)
            return widget;
    }
    return nullptr;
}

} // namespace

// The monitor over a device on a real TCP connection: when it updates and what it repaints.
class SimMonitorTest : public QObject {
    Q_OBJECT
private slots:
    void updatesAfterTheReplyAndOnlyWhatChanged() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        sim::MonitorWindow window({{server.device(), QStringLiteral("device"), false}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* ch2 = named<onair::ChannelView>(window, QStringLiteral("ch.2 video"));
        QVERIFY(ch2);
        PaintRecorder recorder;
        for (onair::ChannelView* view : window.findChildren<onair::ChannelView*>())
            view->installEventFilter(&recorder);
        QList<qsizetype> repliesAtRefresh;
        connect(&window, &sim::MonitorWindow::refreshed, this,
                [&] { repliesAtRefresh.append(server.device()->sentReplies().size()); });

        QTcpSocket program;
        program.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(program.waitForConnected(2000));
        program.write("CT02B01" + QByteArray("2422") + QByteArray("2121").repeated(13) + "\r\n");
        QByteArray reply;
        QTRY_COMPARE(reply += program.readAll(), QByteArray("GO\r\n"));
        QTRY_VERIFY(!recorder.painted.isEmpty());
        QCOMPARE(repliesAtRefresh.first(), 1); // the reply went out before the view updated
        onair::TitleLine keyed{true, 7, 1, 1, {}};
        keyed.cells.fill(onair::Cell::blank());
        keyed.cells[0].character = QStringLiteral("あ");
        QCOMPARE(ch2->line(1), keyed);
        for (const auto& [view, rect] : recorder.painted)
            QVERIFY(view == ch2 && ch2->lineRect(1).contains(rect));
        QCOMPARE(named<QLabel>(window, QStringLiteral("ch.2 Bottom last command"))->text(),
                 QStringLiteral("CT02B01242221212121… → GO"));
    }
};

QTEST_MAIN(SimMonitorTest)
#include "tst_simmonitor.moc"
