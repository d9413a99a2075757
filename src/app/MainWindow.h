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
class QAction;
class QMenu;
class TcpLink;

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
    About,
};

// The program's one window: the front panel, the menu that is the whole command surface, the
// maintenance gesture and the exit flow.
class MainWindow : public QMainWindow, public DocumentWindow {
    Q_OBJECT
public:
    // Dialogs are known by their numbers (109 display pages, 134 TCP client, ...); each is
    // opened modally with the main window as its owner.
    using DialogOpener = std::function<void(QWidget* owner)>;

    static constexpr int cornerSize = 20;
    static constexpr int cornerClicksToOpen = 10;

    MainWindow(AppState& state, SettingsDocument& document, MessageBoxes& boxes,
               CommandSender& sender, TcpLink& tcp);

    void setDialog(int dialogNumber, DialogOpener opener);
    void openDialog(int dialogNumber);

    QAction* menuItem(MenuItem item) const { return items_.value(item); }
    // Enables and greys the link-dependent items, as every opening of a menu does.
    void applyEnablingRules();
    // "ZEV-530 Client Program" or "ZEV-530 Server Program", by the TCP role.
    void updateTitle();
    // One right-click at a point of the panel (the client area).
    void countCornerClick(QPoint panelPosition);
    // The exit flow of the menu item and the close button: false when the program stays.
    bool requestExit();

    DocumentFiles& documentFiles() { return files_; }
    FrontPanelView& frontPanel() { return *panel_; }

    QObject* fileDialogOwner() override { return this; }
    void refreshFileNameLabel() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildMenu();
    void watchMenu(QMenu* menu);
    void runMenuItem(MenuItem item);

    AppState& state_;
    MessageBoxes& boxes_;
    TcpLink& tcp_;
    DocumentFiles files_;
    FrontPanelView* panel_;
    QHash<MenuItem, QAction*> items_;
    QHash<int, DialogOpener> dialogs_;
    bool exitAccepted_ = false;
};
