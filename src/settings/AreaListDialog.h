#pragma once

#include "core/SettingsDocument.h"

#include <QDialog>
#include <QStringList>

struct CommandContext;
struct DialogContext;

// The layout that the display page, start-up page and display position dialogs share: for each
// of the four display areas a list and a "設定" button below it, the "Slave Address" list and
// "Close". A choice in an area's list is written into that area's document field at once; the
// area's button sends what the field holds.
class AreaListDialog : public QDialog {
    Q_OBJECT
public:
    using SendArea = void (*)(CommandContext& context, int area);

    struct Texts {
        QString caption;           // when no connection is chosen
        QString connectionCaption; // followed directly by the connection's address
    };

    // Close, the close box and Esc end the dialog with result 2.
    void reject() override { done(2); }

protected:
    // "1" to "64" and "AUTO": the entries of the page lists, the index being the page value.
    static QStringList pageEntries();

    AreaListDialog(DialogContext& context, QWidget* parent, const Texts& texts,
                   const QStringList& entries, SettingsDocument::PerArea& values, SendArea send);
};
