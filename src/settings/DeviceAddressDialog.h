#pragma once

#include <QDialog>

struct DialogContext;

// Tells the device its RS-485 slave address. The list is the one slaveAddress that every
// dialog sends to on RS-485, so choosing here also changes where the next line goes.
class DeviceAddressDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int number = 125;

    DeviceAddressDialog(DialogContext& context, QWidget* parent = nullptr);

    // Close, the close box and Esc end the dialog with result 1.
    void reject() override { done(1); }
};
