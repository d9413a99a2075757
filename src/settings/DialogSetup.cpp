#include "settings/DialogSetup.h"

#include "app/AppState.h"
#include "protocol/FieldEncoding.h"

#include <QComboBox>
#include <QDialog>

void beginDialog(QDialog& dialog, AppState& state) {
    state.replyWindow = &dialog;
    // The dialog owns the boxes shown on its behalf, so they always stand above it.
    state.activeDialog = &dialog;
    state.cornerClickCount = 0;
}

void setConnectionCaption(QDialog& dialog, const AppState& state, const QString& captionText) {
    if (state.selectedConnection == -1)
        return;
    QString address;
    if (state.selectedConnection >= 0 && state.selectedConnection < AppState::connectionCapacity)
        address =
            QString::fromLatin1(state.connectionTable[state.selectedConnection].addressText.view());
    dialog.setWindowTitle(captionText + address);
}

void setUpSlaveAddressList(QComboBox& list, AppState& state, bool alwaysEnabled) {
    QStringList entries;
    for (int address = 0; address < AppState::broadcastAddress; ++address) {
        char digits[2];
        twoDigits(address, digits);
        entries.append(QString::fromLatin1(digits, 2));
    }
    entries.append(QStringLiteral("Bloadcast"));

    const bool enabled = alwaysEnabled || (state.rs485Mode == 1 && state.interfaceKind == 0);
    fillList(list, entries, enabled ? state.slaveAddress : -1);
    list.setEnabled(enabled);
    QObject::connect(&list, &QComboBox::activated, &list,
                     [&state](int index) { state.slaveAddress = index; });
}

void fillList(QComboBox& list, const QStringList& entries, int selected) {
    list.clear();
    list.addItems(entries);
    list.setCurrentIndex(selected >= 0 && selected < entries.size() ? selected : -1);
}

QStringList numberEntries(int count, int first) {
    QStringList entries;
    for (int number = first; number < first + count; ++number)
        entries.append(QString::number(number));
    return entries;
}
