#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "protocol/ReplyHandler.h"

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
    ReplyHandler handler{state, document};

    void feed(Link link, const QByteArray& reply) { handler.handleReply(reply, link, false); }

private slots:
    void init() {
        state = AppState{};
        document = SettingsDocument{};
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
    }
};

QTEST_GUILESS_MAIN(ReplyHandlerTest)
#include "tst_replyhandler.moc"
