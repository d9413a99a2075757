#include "connection/TcpClientDialog.h"

#include "connection/PortNumberBox.h"
#include "core/AppState.h"
#include "link/LinkSettings.h"
#include "link/TcpLink.h"
#include "protocol/FieldEncoding.h"
#include "protocol/MessageBoxes.h"
#include "ui/DialogSetup.h"
#include "ui_TcpClientDialog.h"

namespace {

const QString hostListFullText = QStringLiteral("Host List には256件までしか登録できません。");
const QString noHostChosenText =
    QStringLiteral("接続先が選ばれていません。Host List の行をダブルクリックしてください。");

} // namespace

QString hostRowText(const std::array<std::uint8_t, 4>& octets) {
    char row[] = "    .    .    .   ";
    static_assert(sizeof(row) - 1 == TcpClientDialog::rowTextLength);
    for (std::size_t octet = 0; octet < octets.size(); ++octet)
        threeDigits(octets[octet], row + octet * 5);
    return QString::fromLatin1(row);
}

TcpClientDialog::TcpClientDialog(AppState& state, ProfileFile& settingsFile, TcpLink& tcp,
                                 MessageBoxes& boxes, QWidget* parent)
    : ConnectionDialog(parent), state_(state), settingsFile_(settingsFile), tcp_(tcp),
      boxes_(boxes), hosts_(state.link, settingsFile),
      form_(std::make_unique<Ui::TcpClientDialog>()) {
    form_->setupUi(this);
    beginDialog(*this, state_.dialogs);

    // A chosen host that the list does not hold (none after the server role, or gone after
    // deletions) is not shown: the address box stays empty and a connect is refused.
    if (hosts_.isListed(state_.link.selectedConnection))
        form_->hostAddressEdit->setAddress(
            state_.link.hostAddresses[std::size_t(state_.link.selectedConnection)]);
    for (int host = 0; host < state_.link.hostCount; ++host)
        form_->hostList->addItem(hostRowText(state_.link.hostAddresses[std::size_t(host)]));
    bindPortNumberBox(*form_->portEdit, state_);
    showConnected(tcp_.tcpConnected());

    connect(form_->addButton, &QPushButton::clicked, this, &TcpClientDialog::addHost);
    connect(form_->deleteButton, &QPushButton::clicked, this, &TcpClientDialog::deleteSelectedHost);
    connect(form_->hostList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { chooseHost(form_->hostList->row(item)); });
    connect(form_->connectButton, &QPushButton::clicked, this, &TcpClientDialog::connectToHost);
    connect(form_->disconnectButton, &QPushButton::clicked, this,
            &TcpClientDialog::disconnectFromHost);
    closeOn(*form_->okButton);
    connect(&tcp_, &TcpLink::tcpConnectedChanged, this, &TcpClientDialog::showConnected);
}

TcpClientDialog::~TcpClientDialog() = default;

void TcpClientDialog::done(int result) {
    ConnectionDialog::done(result);
    writePortNumber(settingsFile_, state_.link);
}

void TcpClientDialog::addHost() {
    if (!hosts_.add(form_->hostAddressEdit->address())) {
        boxes_.showStopError(hostListFullText);
        return;
    }
    const int host = state_.link.hostCount - 1;
    form_->hostList->addItem(hostRowText(state_.link.hostAddresses[std::size_t(host)]));
}

void TcpClientDialog::deleteSelectedHost() {
    const int row = selectedRow();
    if (!hosts_.remove(row))
        return;
    delete form_->hostList->takeItem(row);
    // No row stays selected, so that a second press does not delete the next host unseen.
    form_->hostList->clearSelection();
}

void TcpClientDialog::chooseHost(int row) {
    if (!hosts_.choose(row))
        return;
    form_->hostAddressEdit->setAddress(state_.link.hostAddresses[std::size_t(row)]);
}

void TcpClientDialog::connectToHost() {
    // The chosen host is connected, not the address typed into the address box.
    if (!hosts_.isListed(state_.link.selectedConnection)) {
        boxes_.showStopError(noHostChosenText);
        return;
    }
    tcp_.connectToDevice();
}

void TcpClientDialog::disconnectFromHost() {
    if (tcp_.disconnectFromDevice())
        boxes_.showSuccess(QStringLiteral("Socket 切断 OK"));
}

void TcpClientDialog::showConnected(bool connected) {
    form_->connectButton->setEnabled(!connected);
    form_->disconnectButton->setEnabled(connected);
}

int TcpClientDialog::selectedRow() const {
    const QList<QListWidgetItem*> selected = form_->hostList->selectedItems();
    return selected.isEmpty() ? -1 : form_->hostList->row(selected.first());
}
