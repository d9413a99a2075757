#include "app/QtOperatorPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

// The real boxes, closed by a timer as an operator would close them.
class QtOperatorPromptsTest : public QObject {
    Q_OBJECT
private slots:
    void messageBoxShowsCaptionTextAndIcon();
    void questionAnswersYesAndNo();

private:
    // Runs check on the modal box once it is up, then presses button.
    void whenBoxOpens(QMessageBox::StandardButton button, std::function<void(QMessageBox*)> check);
};

void QtOperatorPromptsTest::whenBoxOpens(QMessageBox::StandardButton button,
                                         std::function<void(QMessageBox*)> check) {
    auto* poll = new QTimer(this);
    poll->setInterval(10);
    connect(poll, &QTimer::timeout, this, [poll, button, check] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->deleteLater();
        poll->stop();
        check(box);
        box->button(button)->click();
    });
    poll->start();
}

void QtOperatorPromptsTest::messageBoxShowsCaptionTextAndIcon() {
    QtOperatorPrompts prompts;
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenBoxOpens(QMessageBox::Ok, [&](QMessageBox* box) {
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
    });
    prompts.showMessage({nullptr, "Error", "No Connect", BoxIcon::Stop, BoxBeep::Question});
    QCOMPARE(caption, "Error");
    QCOMPARE(text, "No Connect");
    QCOMPARE(icon, QMessageBox::Critical);
}

void QtOperatorPromptsTest::questionAnswersYesAndNo() {
    QtOperatorPrompts prompts;
    QString caption;
    whenBoxOpens(QMessageBox::Yes, [&](QMessageBox* box) { caption = box->windowTitle(); });
    QVERIFY(prompts.askYesNo(nullptr, "ZEV-530TQ", "データを保存せずに終了しますか？"));
    QCOMPARE(caption, "ZEV-530TQ");
    whenBoxOpens(QMessageBox::No, [](QMessageBox*) {});
    QVERIFY(!prompts.askYesNo(nullptr, "ZEV-530TQ", "データを保存せずに終了しますか？"));
}

QTEST_MAIN(QtOperatorPromptsTest)
#include "tst_qtoperatorprompts.moc"
