#pragma once

#include "core/SettingsDocument.h"

#include <QDialog>

class QComboBox;
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
    // Fills the list of one area and selects the entry of the area's value.
    using FillList = void (*)(QComboBox& list, DialogContext& context, int area, int selected);

    struct Texts {
        QString caption;           // when no connection is chosen
        QString connectionCaption; // followed directly by the connection's address
    };

    // Close, the close box and Esc end the dialog with result 2.
    void reject() override { done(2); }

protected:
    // The page lists: the area's pages "1" to "64" with their titles, and "AUTO", the index
    // being the page value.
    static void fillPageList(QComboBox& list, DialogContext& context, int area, int selected);

    AreaListDialog(DialogContext& context, QWidget* parent, const Texts& texts, FillList fill,
                   SettingsDocument::PerArea& values, SendArea send);
};
