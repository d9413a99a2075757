#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// Everything that waits for the operator: message boxes, Yes/No questions and file dialogs.
// The program shows real ones; tests record them and answer from a script.

enum class BoxIcon { None, Exclamation, Stop };
enum class BoxBeep { None, Question, Simple };

struct MessageBoxRequest {
    QObject* owner = nullptr; // the window the box stands over; nullptr: none
    QString caption;
    QString text;
    BoxIcon icon = BoxIcon::None;
    BoxBeep beep = BoxBeep::None;
    // Why it happened, shown under the text; the text itself stays the one operators know.
    QString detail;
};

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
    QObject* owner = nullptr;
    FileDialogMode mode = FileDialogMode::Open;
    QString title;
    QStringList filters; // "データ(*.dat)" and the like; the first is selected
    QString directory;   // where the dialog starts
};

class OperatorPrompts {
public:
    virtual ~OperatorPrompts() = default;

    // Shows an OK box and returns when the operator has closed it.
    virtual void showMessage(const MessageBoxRequest& box) = 0;
    // Asks with Yes and No buttons and the question icon, No the default; true for Yes.
    virtual bool askYesNo(QObject* owner, const QString& caption, const QString& text) = 0;
    // The chosen path, or an empty string when the operator cancelled. A save dialog asks
    // before an existing file is overwritten; an open dialog only returns existing files.
    virtual QString chooseFile(const FileDialogRequest& dialog) = 0;
};
