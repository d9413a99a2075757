#pragma once

#include "protocol/ReplyParsing.h"

#include <QByteArrayView>
#include <QObject>

struct AppState;
struct SettingsDocument;

// A reply line as the program took it.
struct InterpretedReply {
    QByteArray line; // without the RS-485 address, with its line end; empty for one too long
    ReplyLink link = ReplyLink::Serial;
    ParsedReply parsed;
    bool glyphReadPending = false; // a glyph read awaited its answer when the line came
};

// Acts on the device's reply lines: parses each (ReplyParsing) and stores a read-back record
// into the settings document or the glyph being edited. It shows nothing: the boxes are
// ReplyBoxes', which follow the command sender.
class ReplyHandler : public QObject {
    Q_OBJECT
public:
    ReplyHandler(AppState& state, SettingsDocument& document, QObject* parent = nullptr);

    // One line as the link received it, with its line end. An empty line stands for one too long
    // to be a reply. On an RS-485 serial line the first two characters, the answering device's
    // address, are dropped unread; here, and nowhere else.
    InterpretedReply handleReply(QByteArrayView line, ReplyLink link, bool glyphReadPending);

signals:
    // glyphSample now holds a glyph read from the device; the glyph editor repaints.
    void glyphSampleChanged();

private:
    AppState& state_;
    SettingsDocument& document_;
};
