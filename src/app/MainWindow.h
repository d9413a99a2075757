#pragma once

#include "document/DocumentFiles.h"
#include "document/DocumentWindow.h"

#include <QHash>
#include <QMainWindow>
#include <functional>

struct AppState;
struct SettingsDocument;
class CommandSender;
class FrontPanelView;
class MessageBoxes;
class ProfileFile;
class QAction;
class QMenu;
class TcpLink;
class TrafficWindow;

// The items of the menu, each an action of the main window.
enum class MenuItem {
    NewDocument,
    OpenDocument,
    SaveDocument,
    SaveDocumentAs,
    Exit,
    DisplayPage,
    Title,
    TitleDisplay,
    AutoSwitching,
    StartupPage,
    CharacterLevel,
    DisplayPosition,
    GlyphRegistration,
    GlyphInsertion,
    SendAll,
    SlaveAddress,
    ReadBack,
    Interface,
    SerialSettings,
    ClientServer,
    TcpSettings,
    TrafficWindow,
    SuccessBoxes,
    About,
};

// The program's main window: the front panel, the menu that is the whole command surface, the
// status bar under the panel, the maintenance gesture and the exit flow. It owns the traffic
// window, made when the operator first opens it.
class MainWindow : public QMainWindow, public DocumentWindow {
    Q_OBJECT
public:
    // Dialogs are known by their numbers (109 display pages, 134 TCP client, ...); each is
    // opened modally with the main window as its owner.
    using DialogOpener = std::function<void(QWidget* owner)>;

    static constexpr int cornerSize = 20;
    static constexpr int cornerClicksToOpen = 10;

    MainWindow(AppState& state, SettingsDocument& document, MessageBoxes& boxes,
               CommandSender& sender, TcpLink& tcp, ProfileFile& settingsFile);

    void setDialog(int dialogNumber, DialogOpener opener);
    void openDialog(int dialogNumber);

    QAction* menuItem(MenuItem item) const { return items_.value(item); }
    // Enables and greys the link-dependent items and checks the view settings' items, as every
    // opening of a menu does.
    void applyEnablingRules();
    // Checks the items of the view settings as the settings are.
    void showViewSettings();
    // "ZEV-530 Client Program" or "ZEV-530 Server Program", by the TCP role.
    void updateTitle();
    // One right-click at a point of the panel (the client area).
    void countCornerClick(QPoint panelPosition);
    // The exit flow of the menu item and the close button: false when the program stays.
    bool requestExit();

    DocumentFiles& documentFiles() { return files_; }
    FrontPanelView& frontPanel() { return *panel_; }
    // Shows the traffic window, made on first use; and the one made, if any.
    void openTrafficWindow();
    TrafficWindow* trafficWindow() const { return trafficWindow_; }

    QObject* fileDialogOwner() override { return this; }
    void refreshFileNameLabel() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildMenu();
    void watchMenu(QMenu* menu);
    void runMenuItem(MenuItem item);
    void setSuccessBoxes(bool shown);

    AppState& state_;
    MessageBoxes& boxes_;
    CommandSender& sender_;
    TcpLink& tcp_;
    ProfileFile& settingsFile_;
    DocumentFiles files_;
    FrontPanelView* panel_;
    TrafficWindow* trafficWindow_ = nullptr;
    QHash<MenuItem, QAction*> items_;
    QHash<int, DialogOpener> dialogs_;
    bool exitAccepted_ = false;
};
