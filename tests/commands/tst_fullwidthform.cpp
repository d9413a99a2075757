#include "commands/FullWidthForm.h"
#include "commands/TitleCharacters.h"
#include "core/ShiftJisText.h"

#include <QTest>

// "全角に変換": what a title typed half-width becomes, and that every result can be sent.
class FullWidthFormTest : public QObject {
    Q_OBJECT
private slots:
    void conversion_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("converted");
        QTest::newRow("ASCII and the blank") << "Breaking News 24/7 \"#1\""
                                             << "Ｂｒｅａｋｉｎｇ　Ｎｅｗｓ　２４／７　＂＃１＂";
        QTest::newRow("voiced and semi-voiced kana") << "ｶﾞｲﾄﾞ ﾊﾟﾋﾞﾌﾟ ｳﾞｧ"
                                                     << "ガイド　パビプ　ヴァ";
        // A mark with no kana to join stands as a full-width mark of its own.
        QTest::newRow("lone marks") << "ｱﾞﾏﾟｯﾞﾞﾟ"
                                    << "ア゛マ゜ッ゛゛゜";
        QTest::newRow("kana punctuation") << "｢ｺﾝﾆﾁﾊ｣､ﾃｽﾄ･ﾃﾞｰﾀ｡"
                                          << "「コンニチハ」、テスト・データ。";
        QTest::newRow("full-width stays") << "大阪　くもりＡ"
                                          << "大阪　くもりＡ";
    }

    void conversion() {
        QFETCH(QString, typed);
        QFETCH(QString, converted);
        QCOMPARE(fullWidthForm(typed), converted);
    }

    // Every character the box takes half-width becomes one the device takes.
    void everyResultCanBeSent() {
        QStringList refused;
        for (char16_t half = u' '; half <= u'ﾟ'; ++half) {
            if (half == u'\u007f')
                half = u'｡';
            const auto bytes = ShiftJisText::encode(fullWidthForm(QString(QChar(half))));
            if (!bytes || bytes->size() != 2 || !refusedCharacters(*bytes).isEmpty())
                refused << QString(QChar(half));
        }
        QCOMPARE(refused, QStringList());
    }
};

QTEST_MAIN(FullWidthFormTest)
#include "tst_fullwidthform.moc"
