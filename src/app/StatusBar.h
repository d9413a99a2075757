#pragma once

#include "core/LinkConfiguration.h"
#include "protocol/Exchange.h"

#include <QByteArray>
#include <QStatusBar>
#include <QTimer>

struct AppState;
struct SettingsDocument;
class CommandSender;
class ElidedLabel;
class QFrame;
class SerialLink;
class TcpLink;

// The line under the front panel: the link the commands go over, where it stands, the last
// exchange with the device (the line, what became of it and when), and the document's file name
// with its modified mark. With the success boxes off, the text of the box that did not open
// stands in the place of the last exchange until the next line is sent.
//
// It follows the links and the command sender by their signals, as they happen, also while a box
// runs its own event loop. The link settings and the document are plain records that the dialogs
// write in place without telling anyone; it looks at them every recordsInterval, which costs a
// few comparisons, whatever event loop runs.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int recordsInterval = 100; // ms

    StatusBar(const AppState& state, const SettingsDocument& document, const SerialLink& serial,
              const TcpLink& tcp, CommandSender& sender, QWidget* parent = nullptr);

    // Shows the link and the document as they are now.
    void refresh();
    // Only its height: the window has the front panel's width, whatever the texts.
    QSize sizeHint() const override;

private:
    // What the link and document parts were last drawn from.
    struct Records {
        InterfaceKind interfaceKind{};
        TcpRole tcpRole{};
        Rs485Mode rs485Mode{};
        int comPortIndex = 0;
        int selectedConnection = 0;
        int hostCount = 0;
        QByteArray portNumberText;
        QByteArray documentPath;
        int documentModified = 0;
    };

    void showLink();
    void showDocument();
    void showExchange(const Exchange& exchange);
    void showSuccessLine(const QString& boxText);
    void followRecords();

    const AppState& state_;
    const SettingsDocument& document_;
    const SerialLink& serial_;
    const TcpLink& tcp_;
    ElidedLabel* exchangeLabel_;
    ElidedLabel* linkLabel_;
    ElidedLabel* stateLabel_;
    ElidedLabel* documentLabel_;
    QFrame* exchangeSeparator_;
    QByteArray acceptedLine_; // of the exchange that has just been accepted, if any
    Records shown_;
    QTimer recordsTimer_;
};
