#include "connection/TcpServerDialog.h"

#include "connection/PortNumberBox.h"
#include "core/AppState.h"
#include "link/LinkSettings.h"
#include "link/TcpLink.h"
#include "ui/DialogSetup.h"
#include "ui_TcpServerDialog.h"

namespace {

// The row's item keeps the number of the connection table entry it shows.
constexpr int entryRole = Qt::UserRole;

QString addressText(const Connection& connection) {
    return QString::fromLatin1(connection.addressText.view());
}

} // namespace

TcpServerDialog::TcpServerDialog(AppState& state, ProfileFile& settingsFile, TcpLink& tcp,
                                 QWidget* parent)
    : ConnectionDialog(parent), state_(state), settingsFile_(settingsFile), tcp_(tcp),
      form_(std::make_unique<Ui::TcpServerDialog>()) {
    form_->setupUi(this);
    beginDialog(*this, state_.dialogs);
    bindPortNumberBox(*form_->portEdit, state_);
    refreshClientList();

    connect(form_->startButton, &QPushButton::clicked, this, &TcpServerDialog::startListening);
    connect(form_->stopButton, &QPushButton::clicked, this, &TcpServerDialog::stopListening);
    connect(form_->clientList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { chooseRow(form_->clientList->row(item)); });
    closeOn(*form_->closeButton);
    connect(&tcp_, &TcpLink::connectionsChanged, this, &TcpServerDialog::refreshClientList);
}

TcpServerDialog::~TcpServerDialog() = default;

void TcpServerDialog::done(int result) {
    ConnectionDialog::done(result);
    writePortNumber(settingsFile_, state_.link);
}

void TcpServerDialog::startListening() {
    if (tcp_.startListening())
        showListening();
}

void TcpServerDialog::stopListening() {
    tcp_.stopServer();
    showListening();
    form_->targetEdit->setText(QString(16, u' '));
    form_->clientList->clear();
}

// The buttons follow the listening itself, not the devices connected: the operator can always
// stop a server that listens (also after its last device has left), and the port can be changed
// whenever it does not.
void TcpServerDialog::showListening() {
    const bool listening = tcp_.isListening();
    form_->startButton->setEnabled(!listening);
    form_->stopButton->setEnabled(listening);
    form_->portEdit->setEnabled(!listening);
}

void TcpServerDialog::chooseRow(int row) {
    QListWidgetItem* item = form_->clientList->item(row);
    if (item == nullptr)
        return;
    const int entry = item->data(entryRole).toInt();
    if (tcp_.chooseTarget(entry))
        form_->targetEdit->setText(addressText(tcp_.connectionTable()[std::size_t(entry)]));
}

void TcpServerDialog::refreshClientList() {
    QListWidget& list = *form_->clientList;
    list.clear();
    for (int entry = TcpLink::firstConnection; entry <= TcpLink::lastConnection; ++entry) {
        const Connection& connection = tcp_.connectionTable()[std::size_t(entry)];
        if (connection.inUse != 1)
            continue;
        auto* item = new QListWidgetItem(addressText(connection), &list);
        item->setData(entryRole, entry);
    }
    showListening();
    // A chosen device that has left is no target any more (the link forgets it), and the box
    // must not go on naming it.
    const int chosen = state_.link.selectedConnection;
    if (chosen >= TcpLink::firstConnection && chosen <= TcpLink::lastConnection)
        form_->targetEdit->setText(addressText(tcp_.connectionTable()[std::size_t(chosen)]));
    else
        form_->targetEdit->setText(QString(16, u' '));
    const QString port = QString::fromLatin1(state_.link.portNumberText.view());
    if (form_->portEdit->text() != port)
        form_->portEdit->setText(port);
    state_.dialogs.activeDialog = this;
    state_.dialogs.cornerClickCount = 0;
}
