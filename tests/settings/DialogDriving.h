#pragma once

#include "commands/ChangedTitles.h"
#include "settings/CharacterLevelDialog.h"
#include "settings/DeviceAddressDialog.h"
#include "settings/DisplayPageDialog.h"
#include "settings/DisplayPositionDialog.h"
#include "settings/StartupPageDialog.h"
#include "support/LinkedDevice.h"
#include "support/SenderBench.h"
#include "ui/DialogContext.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <memory>

// The program side of a dialog, on recording links.
struct DialogBench : SenderBench {
    TcpLink tcpLink{state.link};
    DialogContext context{{state, document, boxes, sender}, tcpLink};
};

// The program side joined to the simulated device, with the context its dialogs work in.
struct LinkedDialogs : LinkedDevice {
    DialogContext context{{state, document, boxes, sender}, tcp};
    ChangedTitles changedTitles{context};
    // Waiting for the answer to a line sent, or yet to act on one that came.
    bool awaiting() const { return sender.isAwaiting(); }
};

inline std::unique_ptr<QDialog> openDialog(int number, DialogContext& context) {
    using Dialog = std::unique_ptr<QDialog>;
    return number == 109   ? Dialog(new DisplayPageDialog(context))
           : number == 110 ? Dialog(new StartupPageDialog(context))
           : number == 111 ? Dialog(new CharacterLevelDialog(context))
           : number == 116 ? Dialog(new DisplayPositionDialog(context))
                           : Dialog(new DeviceAddressDialog(context));
}

inline QComboBox* list(QDialog& dialog, const QString& name) {
    return dialog.findChild<QComboBox*>(name);
}

// Chooses an entry from the keyboard: every step is a choice of the operator's.
inline void choose(QComboBox* box, int index) {
    QTest::keyClick(box, Qt::Key_Home);
    for (int step = 0; step < index; ++step)
        QTest::keyClick(box, Qt::Key_Down);
}

inline void press(QDialog& dialog, const QString& name) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
}
