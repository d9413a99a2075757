#pragma once

#include <QDialog>

struct DialogTracking;
class TcpLink;

// The version box: the program icon and "ZEV530TQ Version 1.18".
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int number = 100;

    AboutDialog(DialogTracking& dialogs, const TcpLink& tcp, QWidget* parent = nullptr);

    // Esc ends the box like OK, with result 1.
    void reject() override { accept(); }
};
