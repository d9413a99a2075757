#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QComboBox;
class QDialog;
struct DialogContext;
struct DialogTracking;
struct LinkConfiguration;

// The steps that the program's dialogs share when they open.

// The dialog becomes the one that the device's replies and the message boxes belong to, and the
// main window's corner count starts again.
void beginDialog(QDialog& dialog, DialogTracking& dialogs);

// While a connection is chosen, the caption names it: captionText followed directly by the
// connection's address text (TcpLink::chosenAddressText). Otherwise the dialog keeps its own
// caption.
void setConnectionCaption(QDialog& dialog, const std::optional<QByteArray>& chosenAddress,
                          const QString& captionText);
// The same for a dialog that talks to the device.
void setConnectionCaption(QDialog& dialog, const DialogContext& context,
                          const QString& captionText);

// The "Slave Address" list: "00" to "31" and "Bloadcast", the index being the address. It shows
// slaveAddress only on a serial link in RS-485 mode (or always, for the device address dialog)
// and is otherwise disabled without a selection. A choice goes to slaveAddress at once.
void setUpSlaveAddressList(QComboBox& list, LinkConfiguration& link, bool alwaysEnabled = false);

// Fills a list with texts at indexes 0 onwards and selects index selected (none when out of
// range); the lists are never sorted, so an entry's index is the value it stands for.
void fillList(QComboBox& list, const QStringList& entries, int selected);

// "1" to "count", the list entries of pages, levels and the like.
QStringList numberEntries(int count, int first = 1);
