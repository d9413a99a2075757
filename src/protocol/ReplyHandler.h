#pragma once

#include "core/FixedText.h"

#include <QByteArrayView>
#include <QObject>
#include <array>

struct AppState;
struct ExchangeState;
struct SettingsDocument;
class MessageBoxes;

// Interprets the device's reply lines. A reply is never matched to the command that was sent:
// it is recognised by its first characters alone. Reply codes become message boxes and the
// exchange flags; read-back replies are stored into the settings document.
//
// Replies are untrusted input. A read-back reply is stored only when every field of its layout
// is present and well formed (decimal digits where digits belong, upper-case hexadecimal where
// codes belong, channel "01" or "02", pages "01" to "64" or AUTO); otherwise it is ignored as a
// whole, so a damaged line never stores part of its data or an index outside the tables.
class ReplyHandler : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype maxLineLength = 599;

    ReplyHandler(AppState& state, ExchangeState& exchange, SettingsDocument& document,
                 MessageBoxes& boxes, QObject* parent = nullptr);

    // One complete line from the serial link, with its line end. On an RS-485 line the first
    // two characters are the answering device's address and are dropped unread.
    void handleSerialReply(QByteArrayView line);

    // Bytes received from the TCP target, in whatever pieces they arrive. They are assembled
    // into lines in tcpReplyBuffer; each complete line is interpreted at once. A line longer
    // than maxLineLength is discarded up to its LF. Returns the number of lines completed.
    int handleTcpBytes(QByteArrayView bytes);

    // Forgets the start of a TCP line whose end never came, so that it cannot be taken for the
    // beginning of the next reply.
    void discardPartialTcpLine();
    bool hasPartialTcpLine() const { return tcpReplyPartial == 1; }
    qsizetype partialTcpLineLength() const { return tcpReplyBuffer.length(); }

signals:
    // glyphSample now holds a glyph read from the device; the glyph editor repaints.
    void glyphSampleChanged();

private:
    enum class Link { Serial, Tcp };

    void interpret(QByteArrayView reply, Link link);
    bool storeReadBack(QByteArrayView reply);
    void storeSwitchTimes(QByteArrayView reply);
    void storeDisplayPosition(QByteArrayView reply);
    void storeDisplayFlags(QByteArrayView reply);
    void storeLevel(QByteArrayView reply, int& level);
    void storePage(QByteArrayView reply, qsizetype channelAt, std::array<int, 4>& pages);
    void storeTitle(QByteArrayView reply);
    void storeGlyph(QByteArrayView reply);
    void finishTcpLine();

    AppState& state_;
    ExchangeState& exchange_;
    SettingsDocument& document_;
    MessageBoxes& boxes_;
    FixedText<maxLineLength + 1> tcpReplyBuffer;
    int tcpReplyPartial = 0;
    bool discardingTcpLine_ = false;
};
