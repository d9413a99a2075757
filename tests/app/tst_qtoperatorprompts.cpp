#include "app/QtOperatorPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class QtOperatorPromptsTest : public QObject {
    Q_OBJECT
private slots:
    // The real boxes over their owners, closed by a timer as an operator would close them; an
    // owner that goes while its box is open takes the box with it. Enter answers a question No.
    void boxesShowAndAnswer() {
        QStringList shown; // "caption: text (why) icon, owner" of each box
        QList presses = {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::NoButton};
        QTimer operatorHand;
        connect(&operatorHand, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << QStringLiteral("%1: %2 (%3) %4, %5")
                             .arg(box->windowTitle(), box->text(), box->informativeText())
                             .arg(box->icon())
                             .arg(box->parentWidget() ? box->parentWidget()->objectName() : "-");
                if (presses.isEmpty())
                    delete box->parentWidget();
                else if (const auto press = presses.takeFirst(); press == QMessageBox::NoButton)
                    QTest::keyClick(box, Qt::Key_Return);
                else
                    box->button(press)->click();
            }
        });
        operatorHand.start(10);
        QtOperatorPrompts prompts;
        QWidget dialog;
        dialog.setObjectName("dialog");
        const QString question = "データを保存せずに終了しますか？";
        prompts.showMessage({&dialog, "Error", "No Connect", BoxIcon::Stop, BoxBeep::Question,
                             "/dev/ttyS0: Permission denied"});
        QVERIFY(prompts.askYesNo(&dialog, "ZEV-530TQ", question));
        QVERIFY(!prompts.askYesNo(nullptr, "ZEV-530TQ", question));
        auto* leaving = new QWidget;
        leaving->setObjectName("leaving");
        prompts.showMessage({leaving, "Success", "Socket ＯＫ", BoxIcon::None, BoxBeep::None, {}});
        // Icons: 3 critical, 4 question, 0 none.
        QCOMPARE(shown, QStringList({"Error: No Connect (/dev/ttyS0: Permission denied) 3, dialog",
                                     "ZEV-530TQ: " + question + " () 4, dialog",
                                     "ZEV-530TQ: " + question + " () 4, -",
                                     "Success: Socket ＯＫ () 0, leaving"}));
    }
};

QTEST_MAIN(QtOperatorPromptsTest)
#include "tst_qtoperatorprompts.moc"
