#include "app/Program.h"

#include "app/AboutDialog.h"
#include "connection/ClientServerDialog.h"
#include "connection/InterfaceDialog.h"
#include "connection/SerialSettingsDialog.h"
#include "connection/TcpClientDialog.h"
#include "connection/TcpServerDialog.h"
#include "core/FileReplacement.h"
#include "document/DocumentReset.h"
#include "glyphs/GlyphEditorDialog.h"
#include "glyphs/GlyphInsertDialog.h"
#include "link/LinkSettings.h"
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

Program::Program(OperatorPrompts& prompts, const ConfigFolder& folder)
    : boxes_(prompts, state_.dialogs), settingsFile_(linkSettingsFile(folder)),
      serial_(state_, folder), tcp_(state_.link),
      sender_(state_, document_, boxes_, serial_, tcp_), context_{{state_, document_, boxes_,
                                                                   sender_},
                                                                  tcp_},
      window_(state_, document_, boxes_, sender_, tcp_, settingsFile_),
      statusBar_(new StatusBar(state_, document_, serial_, tcp_, sender_)) {
    window_.setStatusBar(statusBar_);
    // The links report, the shell shows.
    showFailuresOf(serial_, boxes_);
    showFailuresOf(tcp_, boxes_);
    // The client role's connect has completed, also when its dialog has closed meanwhile. The
    // box waits until the socket's own handler has returned.
    QObject::connect(
        &tcp_, &TcpLink::clientConnected, &window_,
        [this] { boxes_.showSuccess(QStringLiteral("Socket 接続 OK")); }, Qt::QueuedConnection);
    // A settings change that could not be saved is not kept from the operator.
    QObject::connect(
        &settingsFile_, &ProfileFile::writeFailed, &window_,
        [this](const QString& text, const QString& detail) { boxes_.showError(text, detail); });
    registerDialogs();
}

void Program::start() {
    tcp_.resetConnectionTable();
    resetDocument(document_, state_);
    sender_.resetExchange();
    removeLeftoverReplacement(settingsFile_.path());
    loadLinkSettings(state_.link, settingsFile_);
    loadViewSettings(state_.view, settingsFile_);
    window_.updateTitle();
    window_.showViewSettings();
    statusBar_->refresh();
    // The port and whether it is opened at all are decided here, once.
    if (state_.link.interfaceKind == InterfaceKind::Serial)
        serial_.openSerialPort();
}

void Program::keepTrafficLog(TrafficLogFile& log, const QString& path) {
    if (path.isEmpty())
        return;
    const QString cannotOpen = QStringLiteral("Can't file open");
    if (!log.open(path)) {
        boxes_.showError(cannotOpen, log.errorText());
        return;
    }
    QObject::connect(
        &log, &TrafficLogFile::failed, &window_,
        [this, cannotOpen](const QString& text) { boxes_.showError(cannotOpen, text); });
}

void Program::registerDialogs() {
    window_.setDialog(AboutDialog::number,
                      [this](QWidget* owner) { AboutDialog(state_.dialogs, tcp_, owner).exec(); });
    window_.setDialog(TitleDialog::number,
                      [this](QWidget* owner) { TitleDialog(context_, owner).exec(); });
    window_.setDialog(DisplayPageDialog::number,
                      [this](QWidget* owner) { DisplayPageDialog(context_, owner).exec(); });
    window_.setDialog(DisplayFlagDialog::number,
                      [this](QWidget* owner) { DisplayFlagDialog(context_, owner).exec(); });
    window_.setDialog(SwitchTimeDialog::number,
                      [this](QWidget* owner) { SwitchTimeDialog(context_, owner).exec(); });
    window_.setDialog(StartupPageDialog::number,
                      [this](QWidget* owner) { StartupPageDialog(context_, owner).exec(); });
    window_.setDialog(CharacterLevelDialog::number,
                      [this](QWidget* owner) { CharacterLevelDialog(context_, owner).exec(); });
    window_.setDialog(DisplayPositionDialog::number,
                      [this](QWidget* owner) { DisplayPositionDialog(context_, owner).exec(); });
    window_.setDialog(SendAllDialog::number,
                      [this](QWidget* owner) { SendAllDialog(context_, owner).exec(); });
    window_.setDialog(ReadBackDialog::number,
                      [this](QWidget* owner) { ReadBackDialog(context_, owner).exec(); });
    window_.setDialog(DeviceAddressDialog::number,
                      [this](QWidget* owner) { DeviceAddressDialog(context_, owner).exec(); });
    window_.setDialog(GlyphEditorDialog::number,
                      [this](QWidget* owner) { GlyphEditorDialog(context_, owner).exec(); });
    window_.setDialog(GlyphInsertDialog::number,
                      [this](QWidget* owner) { GlyphInsertDialog(context_, owner).exec(); });
    window_.setDialog(InterfaceDialog::number, [this](QWidget* owner) {
        InterfaceDialog(state_, settingsFile_, tcp_, serial_, owner).exec();
    });
    window_.setDialog(SerialSettingsDialog::number, [this](QWidget* owner) {
        SerialSettingsDialog(state_, settingsFile_, owner).exec();
    });
    window_.setDialog(ClientServerDialog::number, [this](QWidget* owner) {
        ClientServerDialog(state_, settingsFile_, tcp_, owner).exec();
    });
    window_.setDialog(TcpClientDialog::number, [this](QWidget* owner) {
        TcpClientDialog(state_, settingsFile_, tcp_, boxes_, owner).exec();
    });
    window_.setDialog(TcpServerDialog::number, [this](QWidget* owner) {
        TcpServerDialog(state_, settingsFile_, tcp_, owner).exec();
    });
}
