#include "core/AppState.h"
#include "core/ExchangeState.h"
#include "core/SettingsDocument.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "support/RecordingPrompts.h"

#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <type_traits>

using Link = ReplyLink;

// The read-back test compares documents byte for byte.
static_assert(std::has_unique_object_representations_v<SettingsDocument>);

class ReplyHandlerTest : public QObject {
    Q_OBJECT

    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    MessageBoxes boxes{prompts, state.dialogs};
    ExchangeState exchange;
    ReplyHandler handler{state, exchange, document, boxes};

    void feed(Link link, const QByteArray& reply) { handler.handleReply(reply, link); }

private slots:
    void init() {
        state = AppState{};
        document = SettingsDocument{};
        prompts.clear();
        exchange = ExchangeState{};
    }

    void replyCodes_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("glyphReadPending");
        QTest::addColumn<QString>("box"); // "caption: text", empty for none
        QTest::addColumn<BoxIcon>("icon");
        const auto row = [](Link link, const char* reply, const char* box,
                            BoxIcon icon = BoxIcon::Exclamation, int glyph = 0) {
            QTest::addRow("%s %s%d", link == Link::Serial ? "serial" : "tcp", reply, glyph)
                << link << QByteArray(reply) + "\r\n"
                << glyph << QString(box) << icon;
        };
        const auto S = Link::Serial, T = Link::Tcp;
        row(S, "GO", "設定完了: Success", BoxIcon::None);
        row(S, "GOX", "", BoxIcon::None);
        row(T, "GOX", "Success: Socket ＯＫ", BoxIcon::None);
        row(S, "GN", "Error: 自動切換え中！", BoxIcon::Exclamation, 1);
        row(T, "GN", "Error: Socket 自動切換え中！", BoxIcon::Stop, 1);
        row(S, "GN", "Error: Mode difference");
        row(T, "MENU", "Error: Socket Menu Display");
        row(T, "E2", "Error: Socket Over run");
        row(T, "E9", "", BoxIcon::None);
    }

    void replyCodes() {
        QFETCH(Link, link);
        QFETCH(QByteArray, reply);
        QFETCH(int, glyphReadPending);
        QFETCH(QString, box);
        QFETCH(BoxIcon, icon);
        const int exchangeFailed = reply.startsWith('E') && !box.isEmpty();
        QObject dialog;
        state.dialogs.activeDialog = &dialog;
        exchange.exchangeFailed = 1 - exchangeFailed; // every interpretation sets it anew
        exchange.glyphReadPending = glyphReadPending;
        const SettingsDocument untouched = document;
        feed(link, reply);

        QStringList shown;
        for (const MessageBoxRequest& request : prompts.boxes) {
            shown << request.caption + ": " + request.text;
            QCOMPARE(request.icon, icon);
            QCOMPARE(request.owner, &dialog); // every box stands over the dialog that is open
            QCOMPARE(request.beep,
                     shown[0] == "設定完了: Success" ? BoxBeep::Simple : BoxBeep::Question);
        }
        QCOMPARE(shown.join('|'), box);
        QCOMPARE(exchange.exchangeFailed, exchangeFailed);
        QCOMPARE(exchange.glyphReadPending, 0);
        QVERIFY(std::memcmp(&document, &untouched, sizeof document) == 0); // no read-back
    }

    // A read-back reply stores what it names and nothing else; a malformed one stores nothing.
    void readBack() {
        for (auto& title : document.titleTexts)
            title.assign("keep");
        const SettingsDocument untouched = document;
        const QByteArray glyph = QByteArray("0123456789ABCDEF").repeated(36);
        QSignalSpy repaint(&handler, &ReplyHandler::glyphSampleChanged);
        for (const QByteArray& bad :
             {QByteArray("AST01T0203"), "CT01T65" + QByteArray(56, '2'),
              "CT01T01" + QByteArray(52, '2') + "7c7f", "FBMBA65" + glyph.left(575)})
            feed(Link::Serial, bad + "\r\n");
        QVERIFY(std::memcmp(&document, &untouched, sizeof document) == 0);
        QCOMPARE(state.glyphSample, AppState{}.glyphSample);

        feed(Link::Tcp, "CT02T1023417C7F2342" + QByteArray("2121").repeated(11) + "\r\n");
        feed(Link::Serial, "FBMBA65" + glyph + "\r\n");
        SettingsDocument expected = untouched; // 7C7F is a space, trailing spaces go
        expected.titleTexts[137].assign(QByteArray::fromHex("826081408261"));
        QVERIFY(std::memcmp(&document, &expected, sizeof document) == 0);
        QCOMPARE(QByteArrayView(state.glyphSample.data(), glyphDigitCount),
                 glyph.left(glyphDigitCount));
        QCOMPARE(repaint.size(), 1);
        QVERIFY(prompts.boxes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ReplyHandlerTest)
#include "tst_replyhandler.moc"
