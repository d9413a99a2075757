#pragma once

#include "app/Program.h"
#include "settings/DisplayPageDialog.h"
#include "support/RecordingPrompts.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

inline const QByteArray section = "[ZEV-530TQ_Section]\r\n";

// The running program on the TCP interface, its settings file in a folder of the test's own
// starting with these lines, and the operator's boxes recorded.
struct ConnectionBench {
    explicit ConnectionBench(const QByteArray& lines = {}) {
        QFile file(program.settingsFile().path());
        if (file.open(QIODevice::WriteOnly))
            file.write(section + "Interface=1\r\n" + lines);
        file.close();
        program.start();
    }

    QByteArray settingsText() const {
        QFile file(settingsFile.path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The operator sends page 5 for ch.1 Top from the display page dialog.
    void sendPageFromDialog() {
        DialogContext context{state, program.document(), boxes, program.sender()};
        DisplayPageDialog pages(context);
        auto* list = pages.findChild<QComboBox*>("list1020");
        list->setCurrentIndex(4);
        emit list->activated(4);
        pages.findChild<QPushButton*>("button1005")->click();
    }

    QTemporaryDir folder;
    RecordingPrompts prompts;
    Program program{prompts, ConfigFolder(folder.path())};
    AppState& state = program.state();
    ProfileFile& settingsFile = program.settingsFile();
    TcpLink& tcp = program.tcpLink();
    MessageBoxes boxes{prompts, state};
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
