#include "app/AppState.h"
#include "document/SettingsDocument.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "support/RecordingPrompts.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <type_traits>

namespace {

enum class Link { Serial, Tcp };
constexpr Link bothLinks[] = {Link::Serial, Link::Tcp};

QByteArray titleReply(const char* head, const QByteArray& codes) {
    QByteArray reply = head + codes;
    while (reply.size() < 7 + 56)
        reply += "2121";
    return reply + "\r\n";
}

// What a read-back reply of the given kind stored for an area (for CT: a title), as text.
QString stored(const SettingsDocument& d, const QString& kind, int index) {
    if (kind == "CT")
        return d.titleTexts[index].toByteArray().toHex();
    QList<int> values;
    if (kind == "AST")
        values = {d.autoSwitchTimes[index].begin(), d.autoSwitchTimes[index].end()};
    else if (kind == "CTD")
        values = {d.titleDisplayOn[index].begin(), d.titleDisplayOn[index].end()};
    else
        values = {QMap<QString, int>{{"CTDPO", d.displayPosition[index]},
                                     {"CEL", d.edgeLevel},
                                     {"CWL", d.whiteLevel},
                                     {"SUS", d.startupPage[index]},
                                     {"P0", d.displayPage[index]}}
                      .value(kind)};
    QStringList texts;
    for (int value : values)
        texts << QString::number(value);
    return texts.join(' ');
}

// The damaged-reply test compares documents byte for byte.
static_assert(std::has_unique_object_representations_v<SettingsDocument>);

} // namespace

class ReplyHandlerTest : public QObject {
    Q_OBJECT

    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    std::unique_ptr<MessageBoxes> boxes;
    std::unique_ptr<ReplyHandler> handler;

    void feed(Link link, const QByteArray& reply) {
        if (link == Link::Serial)
            handler->handleSerialReply(reply);
        else
            handler->handleTcpBytes(reply);
    }

private slots:
    void init() {
        state = AppState{};
        document = SettingsDocument{};
        prompts.clear();
        boxes = std::make_unique<MessageBoxes>(prompts, state);
        handler = std::make_unique<ReplyHandler>(state, document, *boxes);
    }

    void replyCodes_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("glyphReadPending");
        QTest::addColumn<QString>("box"); // "caption: text", empty for none
        QTest::addColumn<BoxIcon>("icon");
        QTest::addColumn<int>("exchangeFailed");
        const auto row = [](const char* name, Link link, const char* reply, int glyph,
                            const char* box, BoxIcon icon, int failed) {
            QTest::newRow(name) << link << QByteArray(reply) << glyph << QString(box) << icon
                                << failed;
        };
        const auto S = Link::Serial, T = Link::Tcp;
        const auto none = BoxIcon::None, excl = BoxIcon::Exclamation;
        row("serial GO", S, "GO\r\n", 0, "設定完了: Success", none, 0);
        row("serial GOX refused", S, "GOX\r\n", 0, "", none, 0);
        row("tcp GO", T, "GO\r\n", 0, "Success: Socket ＯＫ", none, 0);
        row("tcp GOX accepted", T, "GOX\r\n", 0, "Success: Socket ＯＫ", none, 0);
        row("serial GN glyph", S, "GN\r\n", 1, "Error: 自動切換え中！", excl, 0);
        row("tcp GN glyph", T, "GN\r\n", 1, "Error: Socket 自動切換え中！", BoxIcon::Stop, 0);
        row("serial GN", S, "GN\r\n", 0, "Error: Mode difference", excl, 0);
        row("tcp GN", T, "GN\r\n", 0, "Error: Socket mode difference", excl, 0);
        row("serial MENU", S, "MENU\r\n", 0, "Error: Menu Display", excl, 0);
        row("tcp MENU", T, "MENU\r\n", 0, "Error: Socket Menu Display", excl, 0);
        row("serial E0", S, "E0\r\n", 0, "Error: Framing Error", excl, 1);
        row("serial E1", S, "E1\r\n", 0, "Error: Parity Error", excl, 1);
        row("serial E2", S, "E2\r\n", 0, "Error: Over run Error", excl, 1);
        row("serial E3", S, "E3\r\n", 0, "Error: Command Error", excl, 1);
        row("tcp E0", T, "E0\r\n", 0, "Error: Socket Framing", excl, 1);
        row("tcp E1", T, "E1\r\n", 0, "Error: Socket Framing", excl, 1);
        row("tcp E2", T, "E2\r\n", 0, "Error: Socket Over run", excl, 1);
        row("tcp E3", T, "E3\r\n", 0, "Error: Socket Command", excl, 1);
        row("serial unknown", S, "XYZ\r\n", 0, "", none, 0);
        row("tcp unknown", T, "E9\r\n", 0, "", none, 0);
    }

    void replyCodes() {
        QFETCH(Link, link);
        QFETCH(QByteArray, reply);
        QFETCH(int, glyphReadPending);
        QFETCH(QString, box);
        QFETCH(BoxIcon, icon);
        QFETCH(int, exchangeFailed);
        QObject dialog;
        state.activeDialog = &dialog;
        state.exchangeFailed = 1 - exchangeFailed; // every interpretation sets it anew
        state.glyphReadPending = glyphReadPending;
        state.replyPending = 1;
        state.replyWaitTicks = 3;
        feed(link, reply);

        QCOMPARE(prompts.boxes.size(), box.isEmpty() ? 0 : 1);
        if (!box.isEmpty()) {
            const MessageBoxRequest& shown = prompts.boxes.first();
            QCOMPARE(shown.caption + ": " + shown.text, box);
            QCOMPARE(shown.icon, icon);
            const bool serialGo = shown.caption == "設定完了";
            QCOMPARE(shown.owner, serialGo ? &dialog : nullptr);
            QCOMPARE(shown.beep, serialGo ? BoxBeep::Simple : BoxBeep::Question);
        }
        QCOMPARE(state.exchangeFailed, exchangeFailed);
        QCOMPARE(state.glyphReadPending, 0);
        if (link == Link::Serial) // any reply ends the serial wait
            QVERIFY(state.replyPending == 0 && state.replyWaitTicks == 0);
        QCOMPARE(state.tcpReplyPartial, 0);
        QVERIFY(state.tcpReplyBuffer.isEmpty());
    }

    // During a sequence only its errors and the end of a read-back are reported.
    void sequenceReportsErrorsAndReadOk() {
        const QStringList errors = {"Command Error", "Socket Command"};
        for (Link link : bothLinks) {
            init();
            QObject dialog;
            state.activeDialog = &dialog;
            state.sequenceStep = 285;
            feed(link, "GO\r\n");
            feed(link, titleReply("CT02B63", ""));
            feed(link, "E3\r\n");
            feed(link, titleReply("CT02B64", ""));
            state.sequenceStep = 0; // also outside a read-back
            feed(link, titleReply("CT02B64", ""));
            QCOMPARE(prompts.texts(), QStringList({errors[int(link)], "Read ＯＫ", "Read ＯＫ"}));
            QCOMPARE(prompts.boxes[1].owner, &dialog);
            QCOMPARE(prompts.boxes[1].caption, "Success");
            QCOMPARE(state.exchangeFailed, 0);
        }
    }

    void rs485AddressIsDropped() {
        state.rs485Mode = 1;
        handler->handleSerialReply("07GO\r\n");
        handler->handleSerialReply("xyGO\r\n"); // whatever the two characters are
        handler->handleSerialReply("G");        // too short to hold an address: an empty reply
        handler->handleSerialReply("GO\r\n");
        QCOMPARE(prompts.texts(), QStringList({"Success", "Success"}));
    }

    void readBack_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("kind"); // the field the reply fills; empty: it stores nothing
        QTest::addColumn<int>("index");    // the area, or for CT the title
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QByteArray& reply, const char* kind = "",
                            int index = 0, const QString& expected = {}) {
            QTest::newRow(name) << reply << QString(kind) << index << expected;
        };
        QByteArray times = "AST02B", flags = "CTD02T";
        QStringList timeValues, flagValues;
        for (int page = 0; page < 64; ++page) {
            timeValues << QString::number(page * 3 % 100);
            times += timeValues.last().toLatin1().rightJustified(2, '0');
            flags += "FNX"[page % 3]; // any letter but N hides the title
            flagValues << (page % 3 == 1 ? "1" : "0");
        }
        row("AST", times + "\r\n", "AST", 3, timeValues.join(' '));
        row("CTD", flags + "\r\n", "CTD", 2, flagValues.join(' '));
        row("CTDPO", "CTDPO01B12\r\n", "CTDPO", 1, "12");
        row("CEL", "CEL3\r\n", "CEL", 0, "3");
        row("CWL", "CWL2\r\n", "CWL", 0, "2");
        row("SUS page", "SUS02T05\r\n", "SUS", 2, "4");
        row("SUS auto", "SUS01BA\r\n", "SUS", 1, "64");
        row("P0 page", "P02B64\r\n", "P0", 3, "63");
        row("P0 auto", "P01TAS\r\n", "P0", 0, "64");
        row("CT all spaces is empty", titleReply("CT01T01", ""), "CT", 0, "");
        row("CT trailing spaces dropped", titleReply("CT02B09", "23412342"), "CT", 200, "82608261");
        row("CT 7C7F is a space", titleReply("CT02T10", "23417C7F2342"), "CT", 137, "826081408261");
        row("CT leading spaces kept", titleReply("CT01T02", "21212341"), "CT", 1, "81408260");
        row("CT invalid code ends it", titleReply("CT01T03", "23410000234223"), "CT", 2, "8260");
        row("CT fourteen characters", titleReply("CT01T64", QByteArray("2422").repeated(14)), "CT",
            63, QString("82a0").repeated(14));
        const QByteArray glyph = QByteArray("0123456789ABCDEF").repeated(36);
        row("FBM", "FBMBA65" + glyph + "\r\n", "FBM", 0, glyph + "0000");
        row("bad AST short", "AST01T0203\r\n");
        row("bad AST non-digit", "AST01T" + QByteArray(126, '2') + "x2\r\n");
        row("bad AST channel 03", "AST03T" + QByteArray(128, '2') + "\r\n");
        row("bad AST channel 00", "AST00B" + QByteArray(128, '2') + "\r\n");
        row("bad CTD short", "CTD01T" + QByteArray(63, 'F') + "\r");
        row("bad CTDPO above 15", "CTDPO01T16\r\n");
        row("bad CEL letter", "CELx\r\n");
        row("bad CWL nothing", "CWL");
        row("bad SUS page 00", "SUS01T00\r\n");
        row("bad SUS page 65", "SUS01T65\r\n");
        row("bad P0 channel 09", "P09T05\r\n");
        row("bad CT 55 digits", "CT01T01" + QByteArray(55, '2') + "\r\n");
        row("bad CT lower-case hex", "CT01T01" + QByteArray(52, '2') + "7c7f\r\n");
        row("bad CT page 65", "CT01T65" + QByteArray(56, '2') + "\r\n");
        row("bad CT page AUTO", "CT01TA5" + QByteArray(56, '2') + "\r\n");
        row("bad CT high bytes", "CT01T01" + QByteArray(56, char(0xC8)) + "\r\n");
        row("bad FBM short", "FBM2121" + QByteArray(100, '0') + "\r\n");
        row("bad FBM 575 digits", "FBMBA65" + glyph.left(575) + "\r\n");
        row("bad FBM lower-case", "FBMBA65" + glyph.left(575).toLower() + "a\r\n");
    }

    void readBack() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, kind);
        QFETCH(int, index);
        QFETCH(QString, expected);
        for (Link link : bothLinks) {
            init();
            for (auto& title : document.titleTexts)
                title.assign("keep");
            const SettingsDocument before = document;
            const auto sampleBefore = state.glyphSample;
            QSignalSpy repaint(handler.get(), &ReplyHandler::glyphSampleChanged);
            state.exchangeFailed = 1;
            feed(link, reply);
            if (link == Link::Tcp && !reply.endsWith('\n'))
                feed(link, "\n");
            if (kind.isEmpty())
                QVERIFY(std::memcmp(&document, &before, sizeof document) == 0);
            else if (kind == "FBM")
                QCOMPARE(QString::fromLatin1(state.glyphSample.data(), state.glyphSample.size()),
                         expected);
            else
                QCOMPARE(stored(document, kind, index), expected);
            QCOMPARE(state.glyphSample != sampleBefore, kind == "FBM");
            QCOMPARE(repaint.size(), kind == "FBM" ? 1 : 0);
            QVERIFY(prompts.boxes.isEmpty());
            QCOMPARE(state.exchangeFailed, 0);
        }
    }

    void tcpAssembly_data() {
        QTest::addColumn<QByteArray>("chunks"); // the pieces as they arrive, separated by |
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("partial");
        QTest::newRow("one character first")
            << QByteArray("G|O\r\n") << QStringList{"Socket ＯＫ"} << 0;
        QTest::newRow("two lines in one chunk")
            << QByteArray("GO\r\nE3\r\n") << QStringList{"Socket ＯＫ", "Socket Command"} << 0;
        QTest::newRow("line ending in CR is partial") << QByteArray("GO\r") << QStringList{} << 1;
        QTest::newRow("over-long line discarded")
            << "GO" + QByteArray(400, 'x') + "|" + QByteArray(400, 'y') + "\r\nE2\r\n"
            << QStringList{"Socket Over run"} << 0;
        QTest::newRow("line of exactly 599 bytes kept") << "E1" + QByteArray(595, 'x') + "\r\n"
                                                        << QStringList{"Socket Framing"} << 0;
        QTest::newRow("NUL bytes skipped")
            << QByteArray("G\0O\r\n", 5) << QStringList{"Socket ＯＫ"} << 0;
    }

    void tcpAssembly() {
        QFETCH(QByteArray, chunks);
        QFETCH(QStringList, texts);
        QFETCH(int, partial);
        for (const QByteArray& chunk : chunks.split('|'))
            handler->handleTcpBytes(chunk);
        QCOMPARE(prompts.texts(), texts);
        QCOMPARE(state.tcpReplyPartial, partial);
    }

    // Random and mutated replies through both links: whatever arrives, nothing is stored outside
    // its table or outside the ranges the dialogs can show. Run under the sanitizers in CI.
    void randomRepliesStayInBounds() {
        QList<QByteArray> seeds =
            QByteArray("CTDPO02T03 CEL2 CWL1 SUS02BA P01T12 GO GN MENU E3").split(' ');
        seeds << "AST01T" + QByteArray(128, '5') << "CTD02B" + QByteArray(64, 'N')
              << titleReply("CT02B64", "2422").chopped(2) << "FBMBA65" + QByteArray(576, 'F');
        for (QByteArray& seed : seeds)
            seed += "\r\n";
        const char alphabet[] = "0123456789ABCDEFabcdefNTBSAP\r\n \x80\xff\x7f";
        QRandomGenerator random(530);
        for (int round = 0; round < 20000; ++round) {
            QByteArray reply = seeds[random.bounded(int(seeds.size()))];
            for (int mutations = random.bounded(6); mutations > 0; --mutations) {
                const int kind = random.bounded(4);
                const int at = reply.isEmpty() ? 0 : random.bounded(int(reply.size()));
                const char c = alphabet[random.bounded(int(sizeof(alphabet) - 1))];
                if (kind == 0 && !reply.isEmpty())
                    reply[at] = c;
                else if (kind == 1)
                    reply.insert(at, c);
                else if (kind == 2 && !reply.isEmpty())
                    reply.remove(at, 1 + random.bounded(8));
                else
                    reply.truncate(at);
            }
            if (random.bounded(50) == 0)
                reply = QByteArray(random.bounded(2000), char(random.bounded(256)));
            state.rs485Mode = random.bounded(2);
            state.glyphReadPending = random.bounded(2);
            const int cut = reply.isEmpty() ? 0 : random.bounded(int(reply.size()));
            if (random.bounded(2) == 0) {
                handler->handleSerialReply(reply);
            } else { // split, as TCP may deliver it
                handler->handleTcpBytes(reply.left(cut));
                handler->handleTcpBytes(reply.mid(cut));
            }
        }
        for (int area = 0; area < 4; ++area) {
            QVERIFY(document.startupPage[area] >= 0 && document.startupPage[area] <= 64);
            QVERIFY(document.displayPage[area] >= 0 && document.displayPage[area] <= 64);
            QVERIFY(document.displayPosition[area] >= 0 && document.displayPosition[area] <= 15);
            for (int time : document.autoSwitchTimes[area])
                QVERIFY(time >= 0 && time <= 99);
        }
        QVERIFY(document.whiteLevel >= 0 && document.whiteLevel <= 9);
        for (const auto& title : document.titleTexts)
            QVERIFY(title.length() <= 28 && title.length() % 2 == 0);
        QVERIFY(state.tcpReplyBuffer.length() <= ReplyHandler::maxLineLength);
    }
};

QTEST_GUILESS_MAIN(ReplyHandlerTest)
#include "tst_replyhandler.moc"
