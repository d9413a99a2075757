#pragma once

#include "protocol/ReplyParsing.h"

#include <QByteArrayView>
#include <QObject>

struct AppState;
struct ExchangeState;
struct SettingsDocument;
class MessageBoxes;

// Acts on the device's reply lines: parses each (ReplyParsing), stores a read-back record into
// the settings document or the glyph being edited, reports the reply codes in message boxes and
// keeps the exchange flags. It is handed each line after the link's own handler has returned,
// so a box it opens never runs the event loop inside a link's notification.
class ReplyHandler : public QObject {
    Q_OBJECT
public:
    ReplyHandler(AppState& state, ExchangeState& exchange, SettingsDocument& document,
                 MessageBoxes& boxes, QObject* parent = nullptr);

    // One line as the link received it, with its line end. An empty line stands for one too long
    // to be a reply: it says nothing, but like every reply it ends a glyph read. On an RS-485
    // serial line the first two characters, the answering device's address, are dropped unread.
    void handleReply(QByteArrayView line, ReplyLink link);

signals:
    // glyphSample now holds a glyph read from the device; the glyph editor repaints.
    void glyphSampleChanged();
    // A line has been acted on and the boxes it showed have closed; the line as handleReply
    // took it.
    void replyHandled(const QByteArray& line, ReplyLink link);

private:
    void report(ReplyKind kind, ReplyLink link);

    AppState& state_;
    ExchangeState& exchange_;
    SettingsDocument& document_;
    MessageBoxes& boxes_;
};
