#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/FrontPanelView.h"
#include "app/TrafficWindow.h"
#include "connection/ClientServerDialog.h"
#include "connection/InterfaceDialog.h"
#include "connection/SerialSettingsDialog.h"
#include "connection/TcpClientDialog.h"
#include "connection/TcpServerDialog.h"
#include "core/AppState.h"
#include "glyphs/GlyphEditorDialog.h"
#include "glyphs/GlyphInsertDialog.h"
#include "link/LinkSettings.h"
#include "link/TcpLink.h"
#include "protocol/MessageBoxes.h"
#include "settings/CharacterLevelDialog.h"
#include "settings/DeviceAddressDialog.h"
#include "settings/DisplayFlagDialog.h"
#include "settings/DisplayPageDialog.h"
#include "settings/DisplayPositionDialog.h"
#include "settings/ReadBackDialog.h"
#include "settings/SendAllDialog.h"
#include "settings/StartupPageDialog.h"
#include "settings/SwitchTimeDialog.h"
#include "settings/TitleDialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>

namespace {

// The menu "IDM_MENU": popups, items and separators, in order. A mnemonic is shown after the
// label in the Japanese manner, "ファイル(F)"; the file items also have the usual shortcuts.
struct MenuEntry {
    enum Kind { Item, Separator, SubMenu, SubMenuEnd } kind;
    MenuItem item;
    const char* name; // of the action; for a sub-menu, its label
    const char* label;
    int dialog;        // the dialog the item opens; 0: none
    char mnemonic = 0; // 0: none
    const char* shortcut = "";
    bool checkable = false; // an item that is on or off
};

constexpr MenuEntry item(MenuItem item, const char* name, const char* label, int dialog = 0) {
    return {MenuEntry::Item, item, name, label, dialog};
}
constexpr MenuEntry keyedItem(MenuItem item, const char* name, const char* label, char mnemonic,
                              const char* shortcut = "") {
    return {MenuEntry::Item, item, name, label, 0, mnemonic, shortcut};
}
constexpr MenuEntry checkItem(MenuItem item, const char* name, const char* label, char mnemonic) {
    return {MenuEntry::Item, item, name, label, 0, mnemonic, "", true};
}
constexpr MenuEntry separator{MenuEntry::Separator, {}, "", "", 0};
constexpr MenuEntry subMenu(const char* label) {
    return {MenuEntry::SubMenu, {}, "", label, 0};
}
constexpr MenuEntry subMenuEnd{MenuEntry::SubMenuEnd, {}, "", "", 0};

struct Popup {
    const char* title;
    char mnemonic;
    std::initializer_list<MenuEntry> entries;
};

const Popup menuLayout[] = {
    {"ファイル",
     'F',
     {keyedItem(MenuItem::NewDocument, "newDocumentAction", "新規作成", 'N', "Ctrl+N"),
      keyedItem(MenuItem::OpenDocument, "openDocumentAction", "開く", 'O', "Ctrl+O"),
      keyedItem(MenuItem::SaveDocument, "saveDocumentAction", "上書き保存", 'S', "Ctrl+S"),
      keyedItem(MenuItem::SaveDocumentAs, "saveDocumentAsAction", "名前を付けて保存", 'A',
                "Ctrl+Shift+S"),
      separator, keyedItem(MenuItem::Exit, "exitAction", "ｱﾌﾟﾘｹｰｼｮﾝの終了", 'X')}},
    {"設定",
     'S',
     {item(MenuItem::DisplayPage, "displayPageAction", "表示ページ切換え",
           DisplayPageDialog::number),
      item(MenuItem::Title, "titleAction", "タイトルの設定", TitleDialog::number),
      item(MenuItem::TitleDisplay, "titleDisplayAction", "タイトル表示の設定",
           DisplayFlagDialog::number),
      item(MenuItem::AutoSwitching, "autoSwitchingAction", "自動切換えの設定",
           SwitchTimeDialog::number),
      item(MenuItem::StartupPage, "startupPageAction", "スタートアップの設定",
           StartupPageDialog::number),
      item(MenuItem::CharacterLevel, "characterLevelAction", "文字レベルの設定",
           CharacterLevelDialog::number),
      item(MenuItem::DisplayPosition, "displayPositionAction", "表示位置微調整",
           DisplayPositionDialog::number),
      item(MenuItem::GlyphRegistration, "glyphRegistrationAction", "外字登録",
           GlyphEditorDialog::number),
      item(MenuItem::GlyphInsertion, "glyphInsertionAction", "外字挿入", GlyphInsertDialog::number),
      separator, item(MenuItem::SendAll, "sendAllAction", "全項目の設定", SendAllDialog::number),
      item(MenuItem::SlaveAddress, "slaveAddressAction", "機器のスレーブアドレス",
           DeviceAddressDialog::number),
      subMenu("メンテナンス"),
      item(MenuItem::ReadBack, "readBackAction", "設定項目の読み込み", ReadBackDialog::number),
      subMenuEnd}},
    {"インターフェイス",
     'I',
     {item(MenuItem::Interface, "interfaceAction", "インターフェイスの設定",
           InterfaceDialog::number),
      item(MenuItem::SerialSettings, "serialSettingsAction", "シリアル通信の設定",
           SerialSettingsDialog::number),
      item(MenuItem::ClientServer, "clientServerAction", "クライアント/サーバー",
           ClientServerDialog::number),
      item(MenuItem::TcpSettings, "tcpSettingsAction", "TCP/IPの設定"), separator,
      keyedItem(MenuItem::TrafficWindow, "trafficWindowAction", "通信モニター", 'M'),
      checkItem(MenuItem::SuccessBoxes, "successBoxesAction", "設定完了をボックスで表示", 'B')}},
    {"情報",
     'H',
     {item(MenuItem::About, "aboutAction", "ZEV530TQのﾊﾞｰｼﾞｮﾝ情報", AboutDialog::number)}},
};

// "ファイル(&F)": the label as the operators know it, then its mnemonic.
QString menuLabel(const char* label, char mnemonic) {
    QString text = QString::fromUtf8(label);
    if (mnemonic != 0)
        text += QStringLiteral("(&%1)").arg(QLatin1Char(mnemonic));
    return text;
}

} // namespace

MainWindow::MainWindow(AppState& state, SettingsDocument& document, MessageBoxes& boxes,
                       CommandSender& sender, TcpLink& tcp, ProfileFile& settingsFile)
    : state_(state), boxes_(boxes), sender_(sender), tcp_(tcp), settingsFile_(settingsFile),
      files_(document, state, sender, boxes, *this), panel_(new FrontPanelView(document, this)) {
    state_.running = 1;
    state_.dialogs.mainWindow = this;
    // A title bar with the system menu and the close box; the size is fixed, so no minimise or
    // maximise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(QStringLiteral(":/MYICON")));
    setCentralWidget(panel_);
    buildMenu();
    updateTitle();
    // The window keeps the size that shows the whole panel, and opens at the top-left corner
    // of the screen's free area, where the maintenance gesture's corner has always been.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(screen()->availableGeometry().topLeft());
}

void MainWindow::buildMenu() {
    menuBar()->setObjectName(QStringLiteral("IDM_MENU"));
    for (const Popup& popup : menuLayout) {
        QMenu* top = menuBar()->addMenu(menuLabel(popup.title, popup.mnemonic));
        watchMenu(top);
        QMenu* current = top;
        for (const MenuEntry& entry : popup.entries) {
            switch (entry.kind) {
            case MenuEntry::Separator:
                current->addSeparator();
                break;
            case MenuEntry::SubMenu:
                current = current->addMenu(QString::fromUtf8(entry.label));
                watchMenu(current);
                break;
            case MenuEntry::SubMenuEnd:
                current = top;
                break;
            case MenuEntry::Item: {
                QAction* action = current->addAction(menuLabel(entry.label, entry.mnemonic));
                action->setObjectName(QLatin1String(entry.name));
                action->setShortcut(QKeySequence(QLatin1String(entry.shortcut)));
                action->setCheckable(entry.checkable);
                const MenuItem item = entry.item;
                const int dialog = entry.dialog;
                connect(action, &QAction::triggered, this, [this, item, dialog] {
                    if (dialog != 0)
                        openDialog(dialog);
                    else
                        runMenuItem(item);
                });
                items_.insert(item, action);
                break;
            }
            }
        }
    }
}

void MainWindow::watchMenu(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::applyEnablingRules);
    // Every move in the menu redraws the panel, so the file-name label is always current.
    connect(menu, &QMenu::hovered, panel_, qOverload<>(&QWidget::update));
}

void MainWindow::runMenuItem(MenuItem item) {
    switch (item) {
    case MenuItem::NewDocument:
        files_.newDocument();
        break;
    case MenuItem::OpenDocument:
        files_.openDocument();
        break;
    case MenuItem::SaveDocument:
        files_.saveDocument();
        break;
    case MenuItem::SaveDocumentAs:
        files_.saveDocumentAs();
        break;
    case MenuItem::Exit:
        close();
        break;
    case MenuItem::TcpSettings:
        openDialog(state_.link.tcpRole == TcpRole::Server ? TcpServerDialog::number
                                                          : TcpClientDialog::number);
        break;
    case MenuItem::TrafficWindow:
        openTrafficWindow();
        break;
    case MenuItem::SuccessBoxes:
        // Turned over from what the setting is, whatever the item showed.
        setSuccessBoxes(!state_.view.successBoxes);
        break;
    default:
        break;
    }
}

void MainWindow::openTrafficWindow() {
    if (trafficWindow_ == nullptr)
        trafficWindow_ =
            new TrafficWindow(state_.view, settingsFile_, sender_, boxes_.prompts(), this);
    trafficWindow_->open();
}

void MainWindow::setSuccessBoxes(bool shown) {
    state_.view.successBoxes = shown;
    showViewSettings();
    writeSuccessBoxes(settingsFile_, state_.view);
}

void MainWindow::setDialog(int dialogNumber, DialogOpener opener) {
    dialogs_.insert(dialogNumber, std::move(opener));
}

void MainWindow::openDialog(int dialogNumber) {
    const auto opener = dialogs_.constFind(dialogNumber);
    if (opener != dialogs_.constEnd())
        (*opener)(this);
    // The role may have changed in the client/server dialog; the title follows it.
    if (dialogNumber == ClientServerDialog::number)
        updateTitle();
}

void MainWindow::applyEnablingRules() {
    const bool tcp = state_.link.interfaceKind == InterfaceKind::Tcp;
    items_.value(MenuItem::ClientServer)->setEnabled(tcp);
    items_.value(MenuItem::TcpSettings)->setEnabled(tcp);
    items_.value(MenuItem::SerialSettings)->setEnabled(!tcp);
    items_.value(MenuItem::SlaveAddress)
        ->setEnabled(tcp || state_.link.rs485Mode == Rs485Mode::Rs485);
    showViewSettings();
    panel_->update();
}

void MainWindow::showViewSettings() {
    items_.value(MenuItem::SuccessBoxes)->setChecked(state_.view.successBoxes);
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
        openDialog(ReadBackDialog::number);
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
    if (!exitAccepted_) {
        event->ignore();
        return;
    }
    // Closed first, so that it keeps its place for the next run.
    if (trafficWindow_ != nullptr)
        trafficWindow_->close();
    event->accept();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // A request from the keyboard has no position and starts the count again.
    const QPoint position = event->reason() == QContextMenuEvent::Mouse
                                ? panel_->mapFromGlobal(event->globalPos())
                                : QPoint(-1, -1);
    countCornerClick(position);
    event->accept();
}
