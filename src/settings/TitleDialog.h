#pragma once

#include "commands/TitleCommands.h"
#include "commands/TransferPacer.h"

#include <QDialog>
#include <QList>
#include <memory>

class PageChoice;
class PageLine;
class TitleBox;
struct DialogContext;
namespace onair {
class ChannelView;
}
namespace Ui {
class TitleDialog;
}

// The title editor: the operator writes the 256 titles (four display areas of 64 pages) and sends
// the current one, stored or not, or all of them one after the other. The area and page are the
// ones shared with the other title dialogs; every change of the title box goes into the document
// at once, and a change of a title marks the document modified. A preview shows the title as the
// device will key it, and the page list and page choice show every title of the area; all of
// them follow the box as the operator types and the document as the device's replies fill it.
// Titles changed since the device last accepted them are marked in the page list, and one
// button sends only those, as a run at the pace of the walk.
class TitleDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int number = 108;

    TitleDialog(DialogContext& context, QWidget* parent = nullptr);
    ~TitleDialog() override;

    // The pacer of the walk through all titles and of the sending of the changed ones.
    TransferPacer& walk() { return walk_; }

    // Close, the close box and Esc end the dialog with result 2, but not while a walk runs.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void chooseArea(int area);
    void choosePage(int page);
    void loadTitle();
    // False when the title stays as it was.
    bool storeTitle(const QByteArray& bytes);
    void takeEdit(const QByteArray& bytes);
    void followDocument();
    void showPageList();
    void showPreview();
    void sendCurrentTitle(TitleStorage storage);
    void startWalk(TransferPlan plan);
    void showChangedTitles();
    void showWalkProgress();
    void endWalk(TransferPacer::Ending ending);
    int currentIndex() const;

    DialogContext& context_;
    std::unique_ptr<Ui::TitleDialog> form_;
    TitleBox* box_;
    PageChoice* pageChoice_;
    QList<PageLine*> pageLines_;
    onair::ChannelView* preview_;
    TransferPacer walk_;
    bool inputMethodSwitched_ = false;
};
