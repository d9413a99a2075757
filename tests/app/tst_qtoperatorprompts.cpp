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
    // owner that goes while its box is open takes the box with it.
    void boxesShowAndAnswer() {
        QStringList shown; // "caption: text (why)" of each box
        QList<QMessageBox::Icon> icons;
        QList<QWidget*> owners;
        QList presses = {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No};
        QTimer operatorHand;
        connect(&operatorHand, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->windowTitle() + ": " + box->text() + " (" + box->informativeText() +
                             ")";
                icons << box->icon();
                owners << box->parentWidget();
                if (presses.isEmpty())
                    delete box->parentWidget();
                else
                    box->button(presses.takeFirst())->click();
            }
        });
        operatorHand.start(10);
        QtOperatorPrompts prompts;
        QWidget dialog;
        const QString question = "データを保存せずに終了しますか？";
        prompts.showMessage({&dialog, "Error", "No Connect", BoxIcon::Stop, BoxBeep::Question,
                             "/dev/ttyS0: Permission denied"});
        QVERIFY(prompts.askYesNo(&dialog, "ZEV-530TQ", question));
        QVERIFY(!prompts.askYesNo(nullptr, "ZEV-530TQ", question));
        auto* leaving = new QWidget;
        prompts.showMessage({leaving, "Success", "Socket ＯＫ", BoxIcon::None, BoxBeep::None, {}});
        QCOMPARE(shown, QStringList({"Error: No Connect (/dev/ttyS0: Permission denied)",
                                     "ZEV-530TQ: " + question + " ()",
                                     "ZEV-530TQ: " + question + " ()", "Success: Socket ＯＫ ()"}));
        QCOMPARE(icons, QList({QMessageBox::Critical, QMessageBox::Question, QMessageBox::Question,
                               QMessageBox::NoIcon}));
        QCOMPARE(owners, QList<QWidget*>({&dialog, &dialog, nullptr, leaving}));
    }
};

QTEST_MAIN(QtOperatorPromptsTest)
#include "tst_qtoperatorprompts.moc"
