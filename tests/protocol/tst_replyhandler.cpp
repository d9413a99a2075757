#include "app/AppState.h"
#include "document/SettingsDocument.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "support/RecordingPrompts.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

enum class Link { Serial, Tcp };

QByteArray titleReply(const char* head, const QByteArray& codes) {
    QByteArray reply(head);
    reply += codes;
    while (reply.size() < 7 + 56)
        reply += "2121";
    return reply + "\r\n";
}

} // namespace

class ReplyHandlerTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void replyCodes_data();
    void replyCodes();
    void successIsSilentDuringSequence_data();
    void successIsSilentDuringSequence();
    void rs485AddressIsDropped();
    void readBackLayouts_data();
    void readBackLayouts();
    void titleDecoding_data();
    void titleDecoding();
    void lastTitleOfReadBackReportsReadOk();
    void glyphReplyFillsSample();
    void tcpAssembly_data();
    void tcpAssembly();
    void damagedRepliesStoreNothing_data();
    void damagedRepliesStoreNothing();
    void randomRepliesStayInBounds();

private:
    void feed(Link link, const QByteArray& reply);

    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    std::unique_ptr<MessageBoxes> boxes;
    std::unique_ptr<ReplyHandler> handler;
};

void ReplyHandlerTest::init() {
    state = AppState{};
    document = SettingsDocument{};
    prompts.clear();
    boxes = std::make_unique<MessageBoxes>(prompts, state);
    handler = std::make_unique<ReplyHandler>(state, document, *boxes);
}

void ReplyHandlerTest::feed(Link link, const QByteArray& reply) {
    if (link == Link::Serial)
        handler->handleSerialReply(reply);
    else
        handler->handleTcpBytes(reply);
}

void ReplyHandlerTest::replyCodes_data() {
    QTest::addColumn<Link>("link");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("glyphReadPending");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<BoxIcon>("icon");
    QTest::addColumn<int>("exchangeFailed");

    const auto none = QString();
    QTest::newRow("serial GO") << Link::Serial << QByteArray("GO\r\n") << 0 << "設定完了"
                               << "Success" << BoxIcon::None << 0;
    QTest::newRow("serial GO with more is not accepted")
        << Link::Serial << QByteArray("GOX\r\n") << 0 << none << none << BoxIcon::None << 0;
    QTest::newRow("tcp GO") << Link::Tcp << QByteArray("GO\r\n") << 0 << "Success"
                            << "Socket ＯＫ" << BoxIcon::None << 0;
    QTest::newRow("tcp GO with more is accepted")
        << Link::Tcp << QByteArray("GOX\r\n") << 0 << "Success"
        << "Socket ＯＫ" << BoxIcon::None << 0;
    QTest::newRow("serial GN glyph") << Link::Serial << QByteArray("GN\r\n") << 1 << "Error"
                                     << "自動切換え中！" << BoxIcon::Exclamation << 0;
    QTest::newRow("tcp GN glyph") << Link::Tcp << QByteArray("GN\r\n") << 1 << "Error"
                                  << "Socket 自動切換え中！" << BoxIcon::Stop << 0;
    QTest::newRow("serial GN") << Link::Serial << QByteArray("GN\r\n") << 0 << "Error"
                               << "Mode difference" << BoxIcon::Exclamation << 0;
    QTest::newRow("tcp GN") << Link::Tcp << QByteArray("GN\r\n") << 0 << "Error"
                            << "Socket mode difference" << BoxIcon::Exclamation << 0;
    QTest::newRow("serial MENU") << Link::Serial << QByteArray("MENU\r\n") << 0 << "Error"
                                 << "Menu Display" << BoxIcon::Exclamation << 0;
    QTest::newRow("tcp MENU") << Link::Tcp << QByteArray("MENU\r\n") << 0 << "Error"
                              << "Socket Menu Display" << BoxIcon::Exclamation << 0;
    const char* serialErrors[] = {"Framing Error", "Parity Error", "Over run Error",
                                  "Command Error"};
    const char* tcpErrors[] = {"Socket Framing", "Socket Framing", "Socket Over run",
                               "Socket Command"};
    for (int code = 0; code < 4; ++code) {
        const QByteArray reply = "E" + QByteArray::number(code) + "\r\n";
        QTest::addRow("serial E%d", code) << Link::Serial << reply << 0 << "Error"
                                          << serialErrors[code] << BoxIcon::Exclamation << 1;
        QTest::addRow("tcp E%d", code)
            << Link::Tcp << reply << 0 << "Error" << tcpErrors[code] << BoxIcon::Exclamation << 1;
    }
    QTest::newRow("serial unknown")
        << Link::Serial << QByteArray("XYZ\r\n") << 0 << none << none << BoxIcon::None << 0;
    QTest::newRow("tcp unknown") << Link::Tcp << QByteArray("E9\r\n") << 0 << none << none
                                 << BoxIcon::None << 0;
}

void ReplyHandlerTest::replyCodes() {
    QFETCH(Link, link);
    QFETCH(QByteArray, reply);
    QFETCH(int, glyphReadPending);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(BoxIcon, icon);
    QFETCH(int, exchangeFailed);

    QObject dialog;
    state.activeDialog = &dialog;
    state.exchangeFailed = 1 - exchangeFailed; // every interpretation sets it anew
    state.glyphReadPending = glyphReadPending;
    state.replyPending = 1;
    state.replyWaitTicks = 3;
    feed(link, reply);

    if (text.isNull()) {
        QVERIFY(prompts.boxes.isEmpty());
    } else {
        QCOMPARE(prompts.boxes.size(), 1);
        const MessageBoxRequest& box = prompts.boxes.first();
        QCOMPARE(box.caption, caption);
        QCOMPARE(box.text, text);
        QCOMPARE(box.icon, icon);
        const bool serialGo = link == Link::Serial && caption == "設定完了";
        QCOMPARE(box.owner, serialGo ? &dialog : nullptr);
        QCOMPARE(box.beep, serialGo ? BoxBeep::Simple : BoxBeep::Question);
    }
    QCOMPARE(state.exchangeFailed, exchangeFailed);
    QCOMPARE(state.glyphReadPending, 0);
    if (link == Link::Serial) {
        QCOMPARE(state.replyPending, 0);
        QCOMPARE(state.replyWaitTicks, 0);
    } else {
        QCOMPARE(state.tcpReplyPartial, 0);
        QVERIFY(state.tcpReplyBuffer.isEmpty());
    }
}

void ReplyHandlerTest::successIsSilentDuringSequence_data() {
    QTest::addColumn<Link>("link");
    QTest::newRow("serial") << Link::Serial;
    QTest::newRow("tcp") << Link::Tcp;
}

void ReplyHandlerTest::successIsSilentDuringSequence() {
    QFETCH(Link, link);
    state.sequenceStep = 12;
    feed(link, "GO\r\n");
    QVERIFY(prompts.boxes.isEmpty());
    feed(link, "E3\r\n");
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(state.exchangeFailed, 1);
}

void ReplyHandlerTest::rs485AddressIsDropped() {
    state.rs485Mode = 1;
    handler->handleSerialReply("07GO\r\n");
    handler->handleSerialReply("xyGO\r\n"); // whatever the two characters are
    QCOMPARE(prompts.texts(), QStringList({"Success", "Success"}));
    handler->handleSerialReply("G"); // too short to hold an address: an empty reply
    handler->handleSerialReply("GO\r\n");
    QCOMPARE(prompts.boxes.size(), 2);
}

void ReplyHandlerTest::readBackLayouts_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("area");
    QTest::addColumn<QList<int>>("values");

    QByteArray times = "AST02B";
    QList<int> timeValues;
    for (int page = 0; page < 64; ++page) {
        times += QByteArray::number(page + 10).rightJustified(2, '0').right(2);
        timeValues.append((page + 10) % 100);
    }
    QTest::newRow("AST") << times + "\r\n"
                         << "autoSwitchTimes" << 3 << timeValues;

    QByteArray flags = "CTD01T";
    QList<int> flagValues;
    for (int page = 0; page < 64; ++page) {
        flags += page % 3 == 0 ? 'F' : 'N';
        flagValues.append(page % 3 == 0 ? 0 : 1);
    }
    QTest::newRow("CTD") << flags + "\r\n"
                         << "titleDisplayOn" << 0 << flagValues;
    QByteArray otherLetters = "CTD02T" + QByteArray(63, 'N') + "X\r\n";
    QList<int> otherValues(64, 1);
    otherValues[63] = 0;
    QTest::newRow("CTD other letter hides") << otherLetters << "titleDisplayOn" << 2 << otherValues;

    QTest::newRow("CTDPO") << QByteArray("CTDPO01B12\r\n") << "displayPosition" << 1
                           << QList<int>{12};
    QTest::newRow("CEL") << QByteArray("CEL3\r\n") << "edgeLevel" << 0 << QList<int>{3};
    QTest::newRow("CWL") << QByteArray("CWL2\r\n") << "whiteLevel" << 0 << QList<int>{2};
    QTest::newRow("SUS page") << QByteArray("SUS02T05\r\n") << "startupPage" << 2 << QList<int>{4};
    QTest::newRow("SUS auto") << QByteArray("SUS01BA\r\n") << "startupPage" << 1 << QList<int>{64};
    QTest::newRow("P0 page") << QByteArray("P02B64\r\n") << "displayPage" << 3 << QList<int>{63};
    QTest::newRow("P0 auto") << QByteArray("P01TAS\r\n") << "displayPage" << 0 << QList<int>{64};
}

void ReplyHandlerTest::readBackLayouts() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, field);
    QFETCH(int, area);
    QFETCH(QList<int>, values);

    for (Link link : {Link::Serial, Link::Tcp}) {
        init();
        state.exchangeFailed = 1;
        feed(link, reply);
        QList<int> stored;
        if (field == "autoSwitchTimes")
            stored = QList<int>(document.autoSwitchTimes[area].begin(),
                                document.autoSwitchTimes[area].end());
        else if (field == "titleDisplayOn")
            stored = QList<int>(document.titleDisplayOn[area].begin(),
                                document.titleDisplayOn[area].end());
        else if (field == "displayPosition")
            stored = {document.displayPosition[area]};
        else if (field == "edgeLevel")
            stored = {document.edgeLevel};
        else if (field == "whiteLevel")
            stored = {document.whiteLevel};
        else if (field == "startupPage")
            stored = {document.startupPage[area]};
        else if (field == "displayPage")
            stored = {document.displayPage[area]};
        QCOMPARE(stored, values);
        QVERIFY(prompts.boxes.isEmpty());
        QCOMPARE(state.exchangeFailed, 0);
    }
}

void ReplyHandlerTest::titleDecoding_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("title");
    QTest::newRow("all spaces is empty") << titleReply("CT01T01", "") << 0 << QByteArray();
    QTest::newRow("trailing spaces dropped")
        << titleReply("CT02B09", "23412342") << 200 << QByteArray::fromHex("82608261");
    QTest::newRow("kanji") << titleReply("CT01B01", "34413B7A") << 64
                           << QByteArray::fromHex("8abf8e9a");
    QTest::newRow("code above 7C7E is a space")
        << titleReply("CT02T10", "23417C7F2342") << 137 << QByteArray::fromHex("826081408261");
    QTest::newRow("leading spaces kept")
        << titleReply("CT01T02", "21212341") << 1 << QByteArray::fromHex("81408260");
    QTest::newRow("invalid code ends the title")
        << titleReply("CT01T03", "23410000234223") << 2 << QByteArray::fromHex("8260");
    QByteArray full;
    for (int i = 0; i < 14; ++i)
        full += "2422";
    QTest::newRow("fourteen characters")
        << titleReply("CT01T64", full) << 63 << QByteArray::fromHex("82a0").repeated(14);
}

void ReplyHandlerTest::titleDecoding() {
    QFETCH(QByteArray, reply);
    QFETCH(int, index);
    QFETCH(QByteArray, title);
    for (Link link : {Link::Serial, Link::Tcp}) {
        init();
        document.titleTexts[index].assign("old");
        feed(link, reply);
        QCOMPARE(document.titleTexts[index].toByteArray(), title);
    }
}

void ReplyHandlerTest::lastTitleOfReadBackReportsReadOk() {
    QObject dialog;
    state.activeDialog = &dialog;
    state.sequenceStep = 285;
    feed(Link::Tcp, titleReply("CT02B63", ""));
    QVERIFY(prompts.boxes.isEmpty());
    feed(Link::Tcp, titleReply("CT02B64", ""));
    state.sequenceStep = 0; // also outside a read-back
    feed(Link::Serial, titleReply("CT02B64", ""));
    QCOMPARE(prompts.texts(), QStringList({"Read ＯＫ", "Read ＯＫ"}));
    QCOMPARE(prompts.boxes.first().owner, &dialog);
    QCOMPARE(prompts.boxes.first().caption, "Success");
}

void ReplyHandlerTest::glyphReplyFillsSample() {
    QSignalSpy repaint(handler.get(), &ReplyHandler::glyphSampleChanged);
    QByteArray digits;
    for (int i = 0; i < 576; ++i)
        digits += "0123456789ABCDEF"[i % 16];
    state.glyphReadPending = 1;
    feed(Link::Tcp, "FBMBA65" + digits + "\r\n");
    QCOMPARE(QByteArray(state.glyphSample.data(), 576), digits);
    QCOMPARE(QByteArray(state.glyphSample.data() + 576, 4), QByteArray("0000"));
    QCOMPARE(repaint.size(), 1);
    QCOMPARE(state.glyphReadPending, 0);

    // Short or not hexadecimal: the sample stays as it was.
    const auto before = state.glyphSample;
    feed(Link::Serial, "FBMBA65" + digits.left(575) + "\r\n");
    feed(Link::Serial, "FBMBA65" + digits.left(575).toLower() + "a\r\n");
    QVERIFY(state.glyphSample == before);
    QCOMPARE(repaint.size(), 1);
}

void ReplyHandlerTest::tcpAssembly_data() {
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("partial");
    QTest::newRow("one character first")
        << QList<QByteArray>{"G", "O\r\n"} << QStringList{"Socket ＯＫ"} << 0;
    QTest::newRow("two lines in one chunk")
        << QList<QByteArray>{"GO\r\nE3\r\n"} << QStringList{"Socket ＯＫ", "Socket Command"} << 0;
    QTest::newRow("line ending in CR is partial")
        << QList<QByteArray>{"GO\r"} << QStringList{} << 1;
    QTest::newRow("empty chunk") << QList<QByteArray>{"", "GO\r\n"} << QStringList{"Socket ＯＫ"}
                                 << 0;
    QTest::newRow("over-long line discarded")
        << QList<QByteArray>{"GO" + QByteArray(400, 'x'), QByteArray(400, 'y') + "\r\nE2\r\n"}
        << QStringList{"Socket Over run"} << 0;
    QTest::newRow("line of exactly 599 bytes kept")
        << QList<QByteArray>{"E1" + QByteArray(595, 'x') + "\r\n"} << QStringList{"Socket Framing"}
        << 0;
    QTest::newRow("NUL bytes skipped")
        << QList<QByteArray>{QByteArray("G\0O\r\n", 5)} << QStringList{"Socket ＯＫ"} << 0;
}

void ReplyHandlerTest::tcpAssembly() {
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, texts);
    QFETCH(int, partial);
    for (const QByteArray& chunk : chunks)
        handler->handleTcpBytes(chunk);
    QCOMPARE(prompts.texts(), texts);
    QCOMPARE(state.tcpReplyPartial, partial);
}

void ReplyHandlerTest::damagedRepliesStoreNothing_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("AST short") << QByteArray("AST01T0203\r\n");
    QTest::newRow("AST non-digit") << "AST01T" + QByteArray(126, '2') + "x2\r\n";
    QTest::newRow("AST channel 03") << "AST03T" + QByteArray(128, '2') + "\r\n";
    QTest::newRow("AST channel 00") << "AST00B" + QByteArray(128, '2') + "\r\n";
    QTest::newRow("CTD short") << "CTD01T" + QByteArray(63, 'F') + "\r";
    QTest::newRow("CTDPO above 15") << QByteArray("CTDPO01T16\r\n");
    QTest::newRow("CTDPO no digits") << QByteArray("CTDPO01T\r\n");
    QTest::newRow("CEL letter") << QByteArray("CELx\r\n");
    QTest::newRow("CWL nothing") << QByteArray("CWL");
    QTest::newRow("SUS page 00") << QByteArray("SUS01T00\r\n");
    QTest::newRow("SUS page 65") << QByteArray("SUS01T65\r\n");
    QTest::newRow("P0 page 99") << QByteArray("P01B99\r\n");
    QTest::newRow("P0 short") << QByteArray("P0");
    QTest::newRow("P0 channel 09") << QByteArray("P09T05\r\n");
    QTest::newRow("CT 55 digits") << "CT01T01" + QByteArray(55, '2') + "\r\n";
    QTest::newRow("CT lower-case hex") << "CT01T01" + QByteArray(52, '2') + "7c7f\r\n";
    QTest::newRow("CT page 65") << "CT01T65" + QByteArray(56, '2') + "\r\n";
    QTest::newRow("CT page AUTO") << "CT01TA5" + QByteArray(56, '2') + "\r\n";
    QTest::newRow("CT high bytes") << "CT01T01" + QByteArray(56, char(0xC8)) + "\r\n";
    QTest::newRow("FBM short") << "FBM2121" + QByteArray(100, '0') + "\r\n";
}

void ReplyHandlerTest::damagedRepliesStoreNothing() {
    QFETCH(QByteArray, reply);
    for (Link link : {Link::Serial, Link::Tcp}) {
        init();
        for (auto& title : document.titleTexts)
            title.assign("keep");
        const SettingsDocument before = document;
        const auto sampleBefore = state.glyphSample;
        feed(link, reply);
        if (link == Link::Tcp && !reply.endsWith('\n'))
            feed(link, "\n");
        QCOMPARE(document.autoSwitchTimes, before.autoSwitchTimes);
        QCOMPARE(document.titleDisplayOn, before.titleDisplayOn);
        QCOMPARE(document.displayPosition, before.displayPosition);
        QCOMPARE(document.startupPage, before.startupPage);
        QCOMPARE(document.displayPage, before.displayPage);
        QCOMPARE(document.whiteLevel, before.whiteLevel);
        QCOMPARE(document.edgeLevel, before.edgeLevel);
        for (int i = 0; i < SettingsDocument::titleCount; ++i)
            QCOMPARE(document.titleTexts[i].toByteArray(), QByteArray("keep"));
        QVERIFY(state.glyphSample == sampleBefore);
        QVERIFY(prompts.boxes.isEmpty());
    }
}

// Random and mutated replies through both links: whatever arrives, nothing is stored outside
// its table or outside the ranges the dialogs can show. Run under the sanitizers in CI.
void ReplyHandlerTest::randomRepliesStayInBounds() {
    const QByteArray seeds[] = {"AST01T" + QByteArray(128, '5') + "\r\n",
                                "CTD02B" + QByteArray(64, 'N') + "\r\n",
                                "CTDPO02T03\r\n",
                                "CEL2\r\n",
                                "CWL1\r\n",
                                "SUS02BA\r\n",
                                "P01T12\r\n",
                                titleReply("CT02B64", "2422"),
                                "FBMBA65" + QByteArray(576, 'F') + "\r\n",
                                "GO\r\n",
                                "GN\r\n",
                                "MENU\r\n",
                                "E3\r\n"};
    const char alphabet[] = "0123456789ABCDEFabcdefNTBSAP\r\n \x80\xff\x7f";
    QRandomGenerator random(530);
    for (int round = 0; round < 20000; ++round) {
        QByteArray reply = seeds[random.bounded(int(std::size(seeds)))];
        const int mutations = random.bounded(6);
        for (int m = 0; m < mutations; ++m) {
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
        if (random.bounded(2) == 0) {
            handler->handleSerialReply(reply);
        } else {
            // Split at random points, as TCP may deliver it.
            const int cut = reply.isEmpty() ? 0 : random.bounded(int(reply.size()));
            handler->handleTcpBytes(reply.left(cut));
            handler->handleTcpBytes(reply.mid(cut));
        }
    }
    for (int area = 0; area < 4; ++area) {
        QVERIFY(document.startupPage[area] >= 0 && document.startupPage[area] <= 64);
        QVERIFY(document.displayPage[area] >= 0 && document.displayPage[area] <= 64);
        QVERIFY(document.displayPosition[area] >= 0 && document.displayPosition[area] <= 15);
        for (int page = 0; page < 64; ++page) {
            QVERIFY(document.autoSwitchTimes[area][page] >= 0);
            QVERIFY(document.autoSwitchTimes[area][page] <= 99);
        }
    }
    for (const auto& title : document.titleTexts)
        QVERIFY(title.length() <= 28 && title.length() % 2 == 0);
    QVERIFY(document.whiteLevel >= 0 && document.whiteLevel <= 9);
    QVERIFY(state.tcpReplyBuffer.length() <= ReplyHandler::maxLineLength);
}

QTEST_GUILESS_MAIN(ReplyHandlerTest)
#include "tst_replyhandler.moc"
