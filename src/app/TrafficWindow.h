#pragma once

#include <QWidget>

struct ViewSettings;
class CommandSender;
class OperatorPrompts;
class ProfileFile;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;
class TrafficModel;

// The traffic window: every line sent to and received from the device, with its time,
// direction, link and RS-485 address, and what became of each exchange, the newest at the
// bottom; the last TrafficModel::capacity of them. The search keeps the rows that contain its
// text; the selected rows (without a selection, all shown) are copied, and the rows shown saved,
// as tab-separated text.
//
// It is no dialog: it stays open beside the main window and its dialogs, and takes the traffic
// only while it is open. Closed, it keeps its place in the settings file, and opens there again,
// also in the next run.
class TrafficWindow : public QWidget {
    Q_OBJECT
public:
    TrafficWindow(ViewSettings& view, ProfileFile& settingsFile, CommandSender& sender,
                  OperatorPrompts& prompts, QWidget* parent = nullptr);

    // Shows the window, raised, where it was when last closed.
    void open();

    TrafficModel& model() { return *model_; }
    // The rows the search shows, in order.
    QStringList shownRows() const;
    void copyRows();
    void saveAsText();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void placeWhereItWas();
    void keepPlace();

    ViewSettings& view_;
    ProfileFile& settingsFile_;
    OperatorPrompts& prompts_;
    TrafficModel* model_;
    QSortFilterProxyModel* shown_;
    QTableView* table_;
    QLineEdit* searchEdit_;
    bool placed_ = false;
    bool followNewest_ = true;
};
