#pragma once

#include "commands/TitleCommands.h"
#include "commands/TransferPacer.h"

#include <QDialog>
#include <QList>
#include <memory>

class QLabel;
class TitleBox;
struct DialogContext;
namespace Ui {
class TitleDialog;
}

// The title editor: the operator writes the 256 titles (four display areas of 64 pages) and sends
// the current one, stored or not, or all of them one after the other. The area and page are the
// ones shared with the other title dialogs; every change of the title box goes into the document
// at once and marks it modified.
class TitleDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int number = 108;

    TitleDialog(DialogContext& context, QWidget* parent = nullptr);
    ~TitleDialog() override;

    // The pacer of the walk through all titles.
    TransferPacer& walk() { return walk_; }

    // Close, the close box and Esc end the dialog with result 2, but not while a walk runs.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void chooseArea(int area);
    void choosePage(int page);
    void loadTitle();
    void storeTitle(const QByteArray& bytes);
    void showPageList();
    void sendCurrentTitle(TitleStorage storage);
    void startWalk(TitleStorage storage);
    void showWalkProgress();
    void endWalk(TransferPacer::Ending ending);
    int currentIndex() const;

    DialogContext& context_;
    std::unique_ptr<Ui::TitleDialog> form_;
    TitleBox* box_;
    QList<QLabel*> pageLines_;
    TransferPacer walk_;
    bool inputMethodSwitched_ = false;
};
