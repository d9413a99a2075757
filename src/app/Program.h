#pragma once

#include "app/MainWindow.h"
#include "app/QtOperatorPrompts.h"
#include "app/StatusBar.h"
#include "commands/ChangedTitles.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "core/TrafficLogFile.h"
#include "link/ConfigFolder.h"
#include "link/ProfileFile.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "ui/DialogContext.h"

// The running program: its one state record and document, the links, the protocol and the main
// window, brought up in the order the program has always started in.
class Program {
public:
    Program(OperatorPrompts& prompts, const ConfigFolder& folder);

    // Start-up after the window exists: the connection table, the document, the settings file
    // (and what a killed save of it left), the title, the menu items of the view settings, the
    // status bar, and the serial port when the serial interface is chosen.
    void start();
    // The traffic log of --traffic-log, when a path is given: a log that cannot be written is
    // said at once, one that fails later when it fails, each in a box; the program goes on
    // without it.
    void keepTrafficLog(TrafficLogFile& log, const QString& path);

    AppState& state() { return state_; }
    SettingsDocument& document() { return document_; }
    MainWindow& window() { return window_; }
    SerialLink& serialLink() { return serial_; }
    TcpLink& tcpLink() { return tcp_; }
    CommandSender& sender() { return sender_; }
    ProfileFile& settingsFile() { return settingsFile_; }

private:
    void registerDialogs();

    AppState state_;
    SettingsDocument document_;
    MessageBoxes boxes_;
    ProfileFile settingsFile_;
    SerialLink serial_;
    TcpLink tcp_;
    CommandSender sender_;
    DialogContext context_;
    ChangedTitles changedTitles_{context_};
    MainWindow window_;
    StatusBar* statusBar_; // the window's
};
