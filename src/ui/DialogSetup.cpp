#include "ui/DialogSetup.h"

#include "core/AppState.h"
#include "link/TcpLink.h"
#include "protocol/FieldEncoding.h"
#include "ui/DialogContext.h"

#include <QComboBox>
#include <QDialog>

void beginDialog(QDialog& dialog, DialogTracking& dialogs) {
    dialogs.replyWindow = &dialog;
    // The dialog owns the boxes shown on its behalf, so they always stand above it.
    dialogs.activeDialog = &dialog;
    dialogs.cornerClickCount = 0;
}

void setConnectionCaption(QDialog& dialog, const std::optional<QByteArray>& chosenAddress,
                          const QString& captionText) {
    if (chosenAddress)
        dialog.setWindowTitle(captionText + QString::fromLatin1(*chosenAddress));
}

void setConnectionCaption(QDialog& dialog, const DialogContext& context,
                          const QString& captionText) {
    setConnectionCaption(dialog, context.tcp.chosenAddressText(), captionText);
}

void setUpSlaveAddressList(QComboBox& list, LinkConfiguration& link, bool alwaysEnabled) {
    QStringList entries;
    for (int address = 0; address < LinkConfiguration::broadcastAddress; ++address) {
        char digits[2];
        twoDigits(address, digits);
        entries.append(QString::fromLatin1(digits, 2));
    }
    entries.append(QStringLiteral("Bloadcast"));

    const bool enabled = alwaysEnabled || (link.rs485Mode == Rs485Mode::Rs485 &&
                                           link.interfaceKind == InterfaceKind::Serial);
    fillList(list, entries, enabled ? link.slaveAddress : -1);
    list.setEnabled(enabled);
    QObject::connect(&list, &QComboBox::activated, &list,
                     [&link](int index) { link.slaveAddress = index; });
}

namespace {
constexpr int visibleListRows = 16;
} // namespace

void fillList(QComboBox& list, const QStringList& entries, int selected) {
    list.clear();
    list.addItems(entries);
    // A long list (65 pages) opens as a scrolled list of about sixteen rows; some styles would
    // otherwise open it to the height of the screen.
    list.setMaxVisibleItems(visibleListRows);
    list.setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    list.setCurrentIndex(selected >= 0 && selected < entries.size() ? selected : -1);
}

QStringList numberEntries(int count, int first) {
    QStringList entries;
    for (int number = first; number < first + count; ++number)
        entries.append(QString::number(number));
    return entries;
}
