#pragma once

#include "core/OperatorPrompts.h"

#include <QString>
#include <optional>

class MessageBoxes;
class QFile;

// Choosing the files that the program reads and writes: settings files and glyph files.

// Shows the open or save dialog, owned by owner, with the filters "データ(pattern)" (selected)
// and "すべて(*.*)", starting in the folder of the current file, else in the user's documents
// folder, else (without one) in the home folder; the chosen path, or "" when the operator
// cancelled.
QString chooseDataFile(OperatorPrompts& prompts, QObject* owner, FileDialogMode mode,
                       const QString& pattern, const QString& currentPath);

// The path that Save As writes to: chosen, with extension appended when containsExtension finds
// it missing. The file dialog asked about the name as typed; the completed name is another file,
// which is replaced only when the operator says so. Nothing when the operator says No.
std::optional<QString> saveAsPath(const QString& chosen, const QString& extension,
                                  MessageBoxes& boxes);

// Opens the chosen file for reading. Only a regular file can be one of ours: a device or a pipe
// could keep us reading. Why it cannot be read, for the operator, or "" when it is open.
QString openChosenFile(QFile& file);

// The detail of a box about a file: its path, and on the next line why.
QString fileFailureDetail(const QString& path, const QString& reason);
