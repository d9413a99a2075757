#include "document/DatFile.h"

#include "core/ShiftJisText.h"

#include <QByteArray>
#include <QIODevice>
#include <charconv>
#include <iterator>
#include <optional>

namespace {

constexpr char emptyTitleToken[] = "s";
// Sign and ten digits; a longer token cannot be a 32-bit number.
constexpr qsizetype numberTokenLimit = 11;
// One byte beyond a title, enough to cut it at a character boundary.
constexpr qint64 maximumFileSize = 1024 * 1024;
constexpr qsizetype titleTokenLimit = SettingsDocument::Title::capacity() + 1;

// The separators of a whitespace-token reader: blank, tab, LF, VT, FF and CR.
bool isSeparator(char byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

QByteArray composeFile(const SettingsDocument& document) {
    QByteArray bytes;
    bytes.reserve(4096);
    const auto line = [&bytes](QByteArrayView text) {
        bytes.append(text);
        bytes.append("\r\n");
    };
    const auto number = [&line](int value) {
        char digits[numberTokenLimit + 1];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
        line(QByteArrayView(digits, written.ptr - digits));
    };

    for (const auto& area : document.titleDisplayOn)
        for (int on : area)
            number(on);
    for (const auto& area : document.autoSwitchTimes)
        for (int seconds : area)
            number(seconds);
    for (int page : document.startupPage)
        number(page);
    for (int page : document.displayPage)
        number(page);
    number(document.whiteLevel);
    number(document.edgeLevel);
    number(document.reserved1);
    number(document.reserved2);
    for (const auto& title : document.titleTexts)
        line(title.isEmpty() ? QByteArrayView(emptyTitleToken) : title.view());
    for (int position : document.displayPosition)
        number(position);
    return bytes;
}

// Splits the file into tokens as it reads, keeping only the first bytes of each: a damaged
// file with an endless token costs no memory.
class TokenReader {
public:
    // The longest token kept: a title and the byte that shows it is too long.
    static constexpr qsizetype keptLength = titleTokenLimit;

    // Held in place rather than allocated: a file has hundreds of tokens.
    struct Token {
        char kept[keptLength] = {};
        qsizetype length = 0;
        bool cut = false; // the token was longer than the bytes kept
        int line = 0;     // where it begins, from 1

        QByteArrayView bytes() const { return QByteArrayView(kept, length); }
    };

    explicit TokenReader(QIODevice& file) : file_(file) {}

    // keep: at most keptLength.
    std::optional<Token> next(qsizetype keep) {
        char byte = 0;
        do {
            if (!get(byte))
                return std::nullopt;
        } while (isSeparator(byte));
        Token token;
        token.line = line_;
        do {
            if (token.length < keep)
                token.kept[token.length++] = byte;
            else
                token.cut = true;
        } while (get(byte) && !isSeparator(byte));
        return token;
    }

    bool failed() const { return !failure_.isEmpty(); }
    const QString& failure() const { return failure_; }

private:
    bool get(char& byte) {
        if (position_ == filled_) {
            // Far more than any settings file holds: what is larger is not one, and reading it
            // to its end (a device file never ends) would hold the program.
            if (total_ >= maximumFileSize) {
                failure_ = QStringLiteral("1 MiB を超えるファイルは設定ファイルではありません。");
                return false;
            }
            const qint64 count = file_.read(buffer_, sizeof buffer_);
            if (count < 0)
                failure_ = QStringLiteral("読み込めません: %1").arg(file_.errorString());
            if (count <= 0)
                return false;
            filled_ = count;
            position_ = 0;
            total_ += count;
        }
        byte = buffer_[position_++];
        line_ += byte == '\n';
        return true;
    }

    QIODevice& file_;
    char buffer_[16384];
    qint64 filled_ = 0;
    qint64 position_ = 0;
    qint64 total_ = 0;
    int line_ = 1;
    QString failure_;
};

class DocumentReader {
public:
    explicit DocumentReader(QIODevice& file) : tokens_(file) {}

    // what: the field, for the operator when the file holds no number there.
    void number(int& field, const char* what) {
        if (malformed_)
            return;
        const auto token = tokens_.next(numberTokenLimit);
        if (!token)
            return; // past the end: the number keeps its value
        bool ok = false;
        const int value = token->bytes().toInt(&ok, 10);
        if (!ok || token->cut) {
            malformed_ = true;
            reason_ = QStringLiteral("%1 行目: %2には整数が必要ですが、「%3%4」と書かれています。")
                          .arg(token->line)
                          .arg(QString::fromUtf8(what), ShiftJisText::decode(token->bytes()),
                               token->cut ? QStringLiteral("…") : QString());
            return;
        }
        field = value;
    }

    void title(SettingsDocument::Title& field) {
        if (malformed_)
            return;
        const auto token = tokens_.next(titleTokenLimit);
        if (!token || token->bytes() == emptyTitleToken) {
            field.clear();
            return;
        }
        // Only a token too long for the field is cut, and then between two characters; a title
        // that fits is kept byte for byte, as it was written.
        const QByteArrayView bytes = token->bytes();
        const qsizetype capacity = SettingsDocument::Title::capacity();
        field.assign(bytes.size() > capacity
                         ? bytes.first(ShiftJisText::characterBoundary(bytes, capacity))
                         : bytes);
    }

    bool succeeded() const { return !malformed_ && !tokens_.failed(); }
    QString reason() const { return malformed_ ? reason_ : tokens_.failure(); }

private:
    TokenReader tokens_;
    bool malformed_ = false;
    QString reason_;
};

} // namespace

bool titleFitsFile(QByteArrayView title) {
    if (title == emptyTitleToken)
        return false;
    for (char byte : title)
        if (static_cast<unsigned char>(byte) <= ' ')
            return false;
    return true;
}

int firstUnstorableTitle(const SettingsDocument& document) {
    for (int index = 0; index < SettingsDocument::titleCount; ++index) {
        if (!titleFitsFile(document.titleTexts[index].view()))
            return index;
    }
    return -1;
}

bool writeDatFile(QIODevice& file, const SettingsDocument& document) {
    if (firstUnstorableTitle(document) >= 0)
        return false;
    const QByteArray bytes = composeFile(document);
    return file.write(bytes) == bytes.size();
}

bool readDatFile(QIODevice& file, SettingsDocument& document, QString* reason) {
    DocumentReader reader(file);
    SettingsDocument read = document;
    for (auto& area : read.titleDisplayOn)
        for (int& on : area)
            reader.number(on, "タイトル表示のオン/オフ");
    for (auto& area : read.autoSwitchTimes)
        for (int& seconds : area)
            reader.number(seconds, "自動切換えの時間");
    for (int& page : read.startupPage)
        reader.number(page, "スタートアップのページ");
    for (int& page : read.displayPage)
        reader.number(page, "表示ページ");
    reader.number(read.whiteLevel, "白レベル");
    reader.number(read.edgeLevel, "エッジレベル");
    reader.number(read.reserved1, "予備の値");
    reader.number(read.reserved2, "予備の値");
    for (auto& title : read.titleTexts)
        reader.title(title);
    for (int& position : read.displayPosition)
        reader.number(position, "表示位置");
    if (!reader.succeeded()) {
        if (reason)
            *reason = reader.reason();
        return false;
    }
    document = read;
    return true;
}
