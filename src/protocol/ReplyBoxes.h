#pragma once

#include "protocol/ReplyTable.h"

#include <QObject>

struct AppState;
class CommandSender;
class MessageBoxes;
struct Exchange;
struct InterpretedReply;

// The boxes of the exchange with the device, as the operator has always seen them: the box of
// each reply code (none for "GO" while a run goes on), "Read ＯＫ" when the last title of a
// read-back has come, and a box for a line that could not be sent or got no answer. It follows
// the command sender's signals; a box opens after the sender has acted on what happened, so a
// run, zevctl and the status bar know the outcome while the box is still open.
//
// With the success boxes off (ViewSettings), "GO" opens no box: its text is handed to the status
// bar instead. Every other box stays, "Read ＯＫ" included: it comes once, at the end of a
// read-back the operator waits for, where "GO" comes with every setting sent.
class ReplyBoxes : public QObject {
    Q_OBJECT
public:
    ReplyBoxes(const AppState& state, CommandSender& sender, MessageBoxes& boxes,
               QObject* parent = nullptr);

signals:
    // The success box's text ("Success", "Socket ＯＫ") for the status bar, where the box would
    // have opened.
    void successInsteadOfBox(const QString& text);

private:
    void showReply(const InterpretedReply& reply);
    void showAccepted(ReplyLink link, const QString& text);
    void showOutcome(const Exchange& exchange);

    const AppState& state_;
    CommandSender& sender_;
    MessageBoxes& boxes_;
};
