#include "app/QtOperatorPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

namespace {

QWidget* ownerWidget(QObject* owner) {
    return qobject_cast<QWidget*>(owner);
}

QMessageBox::Icon messageBoxIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::Stop:
        return QMessageBox::Critical;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtOperatorPrompts::showMessage(const MessageBoxRequest& box) {
    if (box.beep != BoxBeep::None)
        QApplication::beep();
    // On the heap: should the owner go while the box is open, it takes the box with it.
    const QPointer message = new QMessageBox(messageBoxIcon(box.icon), box.caption, box.text,
                                             QMessageBox::Ok, ownerWidget(box.owner));
    message->setInformativeText(box.detail);
    // Like the boxes the operators know: nothing else in the program takes input meanwhile.
    message->setWindowModality(Qt::ApplicationModal);
    message->exec();
    delete message;
}

bool QtOperatorPrompts::askYesNo(QObject* owner, const QString& caption, const QString& text) {
    const QPointer question =
        new QMessageBox(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                        ownerWidget(owner));
    question->setWindowModality(Qt::ApplicationModal);
    // Every question asks whether to drop or overwrite something: Enter must keep it.
    question->setDefaultButton(QMessageBox::No);
    const bool yes = question->exec() == QMessageBox::Yes;
    delete question;
    return yes;
}

QString QtOperatorPrompts::chooseFile(const FileDialogRequest& dialog) {
    const QString filter = dialog.filters.join(QStringLiteral(";;"));
    const QString selected = dialog.filters.value(0);
    QString chosenFilter = selected;
    if (dialog.mode == FileDialogMode::Open)
        return QFileDialog::getOpenFileName(ownerWidget(dialog.owner), dialog.title,
                                            dialog.directory, filter, &chosenFilter);
    return QFileDialog::getSaveFileName(ownerWidget(dialog.owner), dialog.title, dialog.directory,
                                        filter, &chosenFilter);
}
