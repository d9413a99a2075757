#include "app/QtOperatorPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class QtOperatorPromptsTest : public QObject {
    Q_OBJECT
private slots:
    // The real boxes, closed by a timer as an operator would close them.
    void boxesShowAndAnswer() {
        QStringList shown; // "caption: text" of each box
        QList<QMessageBox::Icon> icons;
        QList presses = {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No};
        QTimer operatorHand;
        connect(&operatorHand, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->windowTitle() + ": " + box->text();
                icons << box->icon();
                box->button(presses.takeFirst())->click();
            }
        });
        operatorHand.start(10);
        QtOperatorPrompts prompts;
        const QString question = "データを保存せずに終了しますか？";
        prompts.showMessage({nullptr, "Error", "No Connect", BoxIcon::Stop, BoxBeep::Question});
        QVERIFY(prompts.askYesNo(nullptr, "ZEV-530TQ", question));
        QVERIFY(!prompts.askYesNo(nullptr, "ZEV-530TQ", question));
        QCOMPARE(shown, QStringList({"Error: No Connect", "ZEV-530TQ: " + question,
                                     "ZEV-530TQ: " + question}));
        QCOMPARE(icons,
                 QList({QMessageBox::Critical, QMessageBox::Question, QMessageBox::Question}));
    }
};

QTEST_MAIN(QtOperatorPromptsTest)
#include "tst_qtoperatorprompts.moc"
