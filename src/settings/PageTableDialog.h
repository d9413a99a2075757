#pragma once

#include "commands/TransferPacer.h"
#include "commands/TransferPlans.h"
#include "core/SettingsDocument.h"

#include <QDialog>
#include <QList>

class PageChoice;
class PageLine;
class QComboBox;
class QProgressBar;
class QPushButton;
struct CommandContext;
struct DialogContext;

// The layout and behaviour that the title display and the automatic switching dialogs share: a
// value for each of the 256 pages, shown 32 at a time in the page list with the pages' titles
// (which follow the device's replies, a read-back's titles among them); the area and the page
// chosen (selectedArea, selectedPage, shared with the other page dialogs); a list for the value
// of that page and one that gives all 64 pages of the area the same value; "設定" for the one
// page, "全設定" for the timed transfer of all four areas. A change is written into the
// document at once and does not mark it modified.
class PageTableDialog : public QDialog {
    Q_OBJECT
public:
    struct Texts {
        QString caption;           // when no connection is chosen
        QString connectionCaption; // followed directly by the connection's address
        QString valueTitle;        // group titles of the two value lists
        QString sameValueTitle;
        QString valueListName; // object names of the two value lists
        QString sameValueListName;
    };

    struct Table {
        SettingsDocument::PerPage<int>& values;
        int& sameValueChoice;         // the "same value" entry last chosen, kept for the run
        QStringList entries;          // the value lists' entries, the index being the value
        int (*shownEntry)(int value); // the entry that shows a stored value
        QString (*pageLine)(int pageNumber, int value); // one line of the page list
        void (*sendPage)(CommandContext& context);
        SendArea sendArea;
        int transferIntervalMs;
    };

    static constexpr int pageLineCount = 32;

    // The pacer of "全設定".
    TransferPacer& transfer() { return *transfer_; }

    // Close, the close box and Esc end the dialog with result 2, except while the transfer
    // runs: it must not be left without its dialog.
    void reject() override;

protected:
    PageTableDialog(DialogContext& context, QWidget* parent, const Texts& texts,
                    const Table& table);

private:
    int& currentValue();
    // Selects the current page's value and paints the page list.
    void showCurrentPage();
    // "全設定": while it runs Close is disabled and the bar counts the areas sent; a failure
    // leaves the bar where the transfer stopped.
    void startTransfer();
    void endTransfer(TransferPacer::Ending ending);

    DialogContext& context_;
    Table table_;
    QComboBox* valueList_ = nullptr;
    PageChoice* pageChoice_ = nullptr;
    QList<PageLine*> pageLines_;
    QProgressBar* transferProgress_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    TransferPacer* transfer_ = nullptr;
};
