#include "app/MainWindow.h"

#include "app/FrontPanelView.h"
#include "core/AppState.h"
#include "link/TcpLink.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLayout>
#include <QMenuBar>

namespace {

// The menu "IDM_MENU": popups, items (id, label, dialog number) and separators, in order.
struct MenuEntry {
    int itemId; // 0: separator; -1: start of a sub-popup named by label; -2: its end
    const char* label;
    int dialog; // 0: not a dialog
};

struct Popup {
    const char* title;
    std::initializer_list<MenuEntry> entries;
};

constexpr int separator = 0;
constexpr int subPopup = -1;
constexpr int subPopupEnd = -2;
constexpr int tcpSettingsItem = 40008;
constexpr int clientServerItem = 40211;
constexpr int exitItem = 119;
constexpr int readBackDialog = 118;
constexpr int tcpServerDialog = 102;
constexpr int tcpClientDialog = 134;
constexpr int clientServerDialog = 132;
constexpr int serialSettingsItem = 40209;
constexpr int slaveAddressItem = 40210;

const Popup menu[] = {
    {"ファイル",
     {{40001, "新規作成", 0},
      {40002, "開く", 0},
      {40003, "上書き保存", 0},
      {40004, "名前を付けて保存", 0},
      {separator, "", 0},
      {exitItem, "ｱﾌﾟﾘｹｰｼｮﾝの終了", 0}}},
    {"設定",
     {{40012, "表示ページ切換え", 109},
      {40010, "タイトルの設定", 108},
      {40014, "タイトル表示の設定", 114},
      {40016, "自動切換えの設定", 117},
      {40065, "スタートアップの設定", 110},
      {40018, "文字レベルの設定", 111},
      {40020, "表示位置微調整", 116},
      {40022, "外字登録", 115},
      {40024, "外字挿入", 112},
      {separator, "", 0},
      {40009, "全項目の設定", 106},
      {slaveAddressItem, "機器のスレーブアドレス", 125},
      {subPopup, "メンテナンス", 0},
      {40212, "設定項目の読み込み", readBackDialog},
      {subPopupEnd, "", 0}}},
    {"インターフェイス",
     {{40208, "インターフェイスの設定", 105},
      {serialSettingsItem, "シリアル通信の設定", 107},
      {clientServerItem, "クライアント/サーバー", clientServerDialog},
      {tcpSettingsItem, "TCP/IPの設定", 0}}},
    {"情報", {{120, "ZEV530TQのﾊﾞｰｼﾞｮﾝ情報", 100}}},
};

} // namespace

MainWindow::MainWindow(AppState& state, SettingsDocument& document, MessageBoxes& boxes,
                       CommandSender& sender, TcpLink& tcp)
    : state_(state), boxes_(boxes), sender_(sender), tcp_(tcp),
      files_(document, state, sender, boxes, *this), panel_(new FrontPanelView(document, this)) {
    state_.running = 1;
    // A title bar with the system menu and the close box; the size is fixed, so no minimise or
    // maximise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(QStringLiteral(":/MYICON")));
    setCentralWidget(panel_);
    buildMenu();
    updateTitle();
    // The window keeps the size that shows the whole panel.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    replyTimer_.setInterval(replyTimerInterval);
    connect(&replyTimer_, &QTimer::timeout, &sender_, &CommandSender::checkReplyTimeout);
}

void MainWindow::buildMenu() {
    menuBar()->setObjectName(QStringLiteral("IDM_MENU"));
    for (const Popup& popup : menu) {
        QMenu* top = menuBar()->addMenu(QString::fromUtf8(popup.title));
        watchMenu(top);
        QMenu* current = top;
        for (const MenuEntry& entry : popup.entries) {
            if (entry.itemId == separator) {
                current->addSeparator();
            } else if (entry.itemId == subPopup) {
                current = current->addMenu(QString::fromUtf8(entry.label));
                watchMenu(current);
            } else if (entry.itemId == subPopupEnd) {
                current = top;
            } else {
                QAction* action = current->addAction(QString::fromUtf8(entry.label));
                action->setObjectName(QStringLiteral("item%1").arg(entry.itemId));
                const int itemId = entry.itemId;
                const int dialog = entry.dialog;
                connect(action, &QAction::triggered, this, [this, itemId, dialog] {
                    if (dialog != 0)
                        openDialog(dialog);
                    else
                        runMenuItem(itemId);
                });
                items_.insert(entry.itemId, action);
            }
        }
    }
}

void MainWindow::watchMenu(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::applyEnablingRules);
    // Every move in the menu redraws the panel, so the file-name label is always current.
    connect(menu, &QMenu::hovered, panel_, qOverload<>(&QWidget::update));
}

void MainWindow::runMenuItem(int itemId) {
    switch (itemId) {
    case 40001:
        files_.newDocument();
        break;
    case 40002:
        files_.openDocument();
        break;
    case 40003:
        files_.saveDocument();
        break;
    case 40004:
        files_.saveDocumentAs();
        break;
    case exitItem:
        close();
        break;
    case tcpSettingsItem:
        openDialog(state_.link.tcpRole == TcpRole::Server ? tcpServerDialog : tcpClientDialog);
        break;
    default:
        break;
    }
}

void MainWindow::setDialog(int dialogNumber, DialogOpener opener) {
    dialogs_.insert(dialogNumber, std::move(opener));
}

void MainWindow::openDialog(int dialogNumber) {
    const auto opener = dialogs_.constFind(dialogNumber);
    if (opener != dialogs_.constEnd())
        (*opener)(this);
    // The role may have changed in the client/server dialog; the title follows it.
    if (dialogNumber == clientServerDialog)
        updateTitle();
}

void MainWindow::applyEnablingRules() {
    const bool tcp = state_.link.interfaceKind == InterfaceKind::Tcp;
    items_.value(clientServerItem)->setEnabled(tcp);
    items_.value(tcpSettingsItem)->setEnabled(tcp);
    items_.value(serialSettingsItem)->setEnabled(!tcp);
    items_.value(slaveAddressItem)->setEnabled(tcp || state_.link.rs485Mode == Rs485Mode::Rs485);
    panel_->update();
}

void MainWindow::updateTitle() {
    setWindowTitle(state_.link.tcpRole == TcpRole::Server
                       ? QStringLiteral("ZEV-530 Server Program")
                       : QStringLiteral("ZEV-530 Client Program"));
}

void MainWindow::countCornerClick(QPoint panelPosition) {
    if (panelPosition.x() >= 0 && panelPosition.x() < cornerSize && panelPosition.y() >= 0 &&
        panelPosition.y() < cornerSize)
        ++state_.dialogs.cornerClickCount;
    else
        state_.dialogs.cornerClickCount = 0;
    if (state_.dialogs.cornerClickCount >= cornerClicksToOpen) {
        state_.dialogs.cornerClickCount = 0;
        openDialog(readBackDialog);
    }
}

bool MainWindow::requestExit() {
    if (tcp_.tcpConnected()) {
        boxes_.showStopError(QStringLiteral("TCP/IPを切断してください。"));
        return false;
    }
    if (!files_.confirmExit())
        return false;
    state_.running = 0;
    tcp_.closeAllSockets();
    return true;
}

void MainWindow::refreshFileNameLabel() {
    panel_->refreshFileNameLabel();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!exitAccepted_)
        exitAccepted_ = requestExit();
    if (exitAccepted_)
        event->accept();
    else
        event->ignore();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // A request from the keyboard has no position and starts the count again.
    const QPoint position = event->reason() == QContextMenuEvent::Mouse
                                ? panel_->mapFromGlobal(event->globalPos())
                                : QPoint(-1, -1);
    countCornerClick(position);
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!replyTimer_.isActive())
        replyTimer_.start();
}
