#pragma once

#include "app/AppState.h"
#include "app/MainWindow.h"
#include "connection/TcpClientDialog.h"
#include "document/DocumentReset.h"
#include "document/SettingsDocument.h"
#include "link/LinkSettings.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "settings/DialogContext.h"
#include "settings/DisplayPageDialog.h"
#include "support/RecordingPrompts.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The parts of the running program that the connection dialogs meet, the main window with its
// exit flow among them, wired as the program wires them, with the operator's boxes recorded and
// the settings file in a folder of the test's own.
struct ConnectionBench {
    ConnectionBench() {
        tcp.resetConnectionTable();
        resetDocument(document, state);
        QObject::connect(&tcp, &TcpLink::clientConnected, &window,
                         [this] { onClientConnected(state, boxes); });
    }

    QByteArray settingsText() const {
        QFile file(settingsFile.path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts the settings file with these lines and reads it, as the program's start does.
    void loadSettings(const QByteArray& lines) {
        QFile file(settingsFile.path());
        if (file.open(QIODevice::WriteOnly))
            file.write("[ZEV-530TQ_Section]\r\n" + lines);
        file.close();
        loadLinkSettings(state, settingsFile);
    }

    // The operator sends page 5 for ch.1 Top from the display page dialog.
    void sendPageFromDialog() {
        DisplayPageDialog pages(context);
        auto* list = pages.findChild<QComboBox*>("list1020");
        list->setCurrentIndex(4);
        emit list->activated(4);
        pages.findChild<QPushButton*>("button1005")->click();
    }

    QTemporaryDir folder;
    RecordingPrompts prompts;
    AppState state;
    SettingsDocument document;
    MessageBoxes boxes{prompts, state};
    ProfileFile settingsFile{linkSettingsFile(ConfigFolder(folder.path()))};
    ReplyHandler replies{state, document, boxes};
    SerialLink serial{state, boxes, ConfigFolder(folder.path())};
    TcpLink tcp{state, boxes};
    CommandSender sender{state, boxes, replies, serial, tcp};
    DialogContext context{state, document, boxes, sender};
    MainWindow window{state, document, boxes, sender, tcp};
};

inline QPushButton* button(const QWidget& window, const char* name) {
    return window.findChild<QPushButton*>(name);
}

inline QStringList rows(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

// A double-click begins with a click, as the operator's does.
inline void doubleClickRow(QListWidget* list, int row) {
    const QPoint center = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, center);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, center);
}
