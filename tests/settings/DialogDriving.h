#pragma once

#include "settings/CharacterLevelDialog.h"
#include "settings/DeviceAddressDialog.h"
#include "settings/DialogContext.h"
#include "settings/DisplayPageDialog.h"
#include "settings/DisplayPositionDialog.h"
#include "settings/StartupPageDialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <memory>

// Opening the setting dialogs by number and working them as the operator does.

inline std::unique_ptr<QDialog> openDialog(int number, DialogContext& context) {
    switch (number) {
    case 109:
        return std::make_unique<DisplayPageDialog>(context);
    case 110:
        return std::make_unique<StartupPageDialog>(context);
    case 111:
        return std::make_unique<CharacterLevelDialog>(context);
    case 116:
        return std::make_unique<DisplayPositionDialog>(context);
    }
    return std::make_unique<DeviceAddressDialog>(context);
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
