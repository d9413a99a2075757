#include "app/QtOperatorPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

// The real boxes, closed by a timer as an operator would close them.
class QtOperatorPromptsTest : public QObject {
    Q_OBJECT

    QStringList shown; // "caption: text" of each box
    QMessageBox::Icon firstIcon = QMessageBox::NoIcon;

    // Once the next modal box is up, records it and presses the button.
    void pressWhenOpen(QMessageBox::StandardButton button) {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll->deleteLater();
            poll->stop();
            if (shown.isEmpty())
                firstIcon = box->icon();
            shown << box->windowTitle() + ": " + box->text();
            box->button(button)->click();
        });
        poll->start(10);
    }

private slots:
    void boxesShowAndAnswer() {
        QtOperatorPrompts prompts;
        pressWhenOpen(QMessageBox::Ok);
        prompts.showMessage({nullptr, "Error", "No Connect", BoxIcon::Stop, BoxBeep::Question});
        pressWhenOpen(QMessageBox::Yes);
        QVERIFY(prompts.askYesNo(nullptr, "ZEV-530TQ", "データを保存せずに終了しますか？"));
        pressWhenOpen(QMessageBox::No);
        QVERIFY(!prompts.askYesNo(nullptr, "ZEV-530TQ", "データを保存せずに終了しますか？"));
        QCOMPARE(shown,
                 QStringList({"Error: No Connect", "ZEV-530TQ: データを保存せずに終了しますか？",
                              "ZEV-530TQ: データを保存せずに終了しますか？"}));
        QCOMPARE(firstIcon, QMessageBox::Critical);
    }
};

QTEST_MAIN(QtOperatorPromptsTest)
#include "tst_qtoperatorprompts.moc"
