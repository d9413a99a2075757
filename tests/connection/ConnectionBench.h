#pragma once

#include "app/Program.h"
#include "settings/DisplayPageDialog.h"
#include "support/Files.h"
#include "support/RecordingPrompts.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

inline const QByteArray section = "[ZEV-530TQ_Section]\r\n";

// The running program on the TCP interface, its settings file starting with these lines.
struct ConnectionBench {
    explicit ConnectionBench(const QByteArray& lines = {}) {
        writeFile(settingsFile.path(), section + "Interface=1\r\n" + lines);
        program.start();
    }

    QByteArray settingsText() const { return fileBytes(settingsFile.path()); }

    // The operator sends page 5 for ch.1 Top from the display page dialog.
    void sendPageFromDialog() {
        DialogContext context{{state, program.document(), boxes, program.sender()}, tcp};
        DisplayPageDialog pages(context);
        emit pages.findChild<QComboBox*>("ch1TopList")->activated(4);
        pages.findChild<QPushButton*>("ch1TopSetButton")->click();
    }

    QTemporaryDir folder;
    RecordingPrompts prompts;
    Program program{prompts, ConfigFolder(folder.path())};
    AppState& state = program.state();
    ProfileFile& settingsFile = program.settingsFile();
    TcpLink& tcp = program.tcpLink();
    MessageBoxes boxes{prompts, state.dialogs};
};

// A double-click begins with a click, as the operator's does.
inline void doubleClickRow(QListWidget* list, int row) {
    const QPoint center = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, center);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, center);
}
