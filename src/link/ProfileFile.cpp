#include "link/ProfileFile.h"

#include "core/FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace {

bool sameName(QByteArrayView left, QByteArrayView right) {
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

// One line of the file taken apart; the line itself is kept as it was.
struct ParsedLine {
    enum Kind { Other, Section, Key } kind = Other;
    QByteArray name;  // section or key name, trimmed
    QByteArray value; // trimmed, outer quotes removed
};

QByteArray withoutQuotes(const QByteArray& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

ParsedLine parseLine(const QByteArray& line) {
    const QByteArray text = line.trimmed();
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        const qsizetype end = close < 0 ? text.size() : close;
        return {ParsedLine::Section, text.mid(1, end - 1).trimmed(), {}};
    }
    const qsizetype equals = text.indexOf('=');
    if (text.startsWith(';') || equals < 0)
        return {};
    return {ParsedLine::Key, text.left(equals).trimmed(),
            withoutQuotes(text.mid(equals + 1).trimmed())};
}

// The file as lines in memory. Lines keep their own CR, so files written on Windows (CR LF)
// are written back with the same line ends; lines that we add end as most of the file's do.
class ProfileLines {
public:
    // Nothing when the file is there but cannot be read; a missing file is empty.
    static std::optional<ProfileLines> read(const QString& path) {
        ProfileLines result;
        const QFileInfo info(path);
        if (!info.exists())
            return result;
        // Not a regular file (a folder, or a pipe that would hold us): cannot be ours.
        if (!info.isFile())
            return std::nullopt;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        if (bytes.isEmpty())
            return result;
        result.lines_ = bytes.split('\n');
        result.endsWithNewline_ = bytes.endsWith('\n');
        if (result.endsWithNewline_)
            result.lines_.removeLast();
        // The line end most of its lines have, so that a line added by another editor does not
        // decide; CR LF when it is even.
        result.crLf_ = bytes.count("\r\n") * 2 >= bytes.count('\n');
        return result;
    }

    QByteArray toBytes() const {
        QByteArray bytes = lines_.join('\n');
        if (endsWithNewline_)
            bytes.append('\n');
        return bytes;
    }

    // Index range [first, end) of the lines of the first section with this name.
    std::optional<std::pair<qsizetype, qsizetype>> sectionLines(QByteArrayView section) const {
        qsizetype first = -1;
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            const ParsedLine parsed = parseLine(lines_[i]);
            if (parsed.kind != ParsedLine::Section)
                continue;
            if (first >= 0)
                return std::make_pair(first, i);
            if (sameName(parsed.name, section))
                first = i + 1;
        }
        if (first >= 0)
            return std::make_pair(first, lines_.size());
        return std::nullopt;
    }

    QHash<QByteArray, QByteArray> sectionValues(QByteArrayView section) const {
        QHash<QByteArray, QByteArray> values;
        if (const auto range = sectionLines(section)) {
            for (qsizetype i = range->first; i < range->second; ++i) {
                const ParsedLine parsed = parseLine(lines_[i]);
                const QByteArray key = parsed.name.toLower();
                if (parsed.kind == ParsedLine::Key && !values.contains(key))
                    values.insert(key, parsed.value);
            }
        }
        return values;
    }

    // Removes the section's lines that begin with one of the retired texts.
    void removeLines(QByteArrayView section, const QList<QByteArray>& retiredLines) {
        const auto range = sectionLines(section);
        if (!range || retiredLines.isEmpty())
            return;
        const auto retired = [&retiredLines](const QByteArray& line) {
            const QByteArray text = line.trimmed();
            return std::any_of(
                retiredLines.begin(), retiredLines.end(), [&text](const QByteArray& start) {
                    return text.size() >= start.size() && sameName(text.left(start.size()), start);
                });
        };
        lines_.erase(
            std::remove_if(lines_.begin() + range->first, lines_.begin() + range->second, retired),
            lines_.begin() + range->second);
    }

    // Changes the lines of keys that exist and adds the others after the section's last line
    // that is not blank, in the order given.
    void setValues(QByteArrayView section, const QList<ProfileFile::Entry>& entries) {
        auto range = sectionLines(section);
        if (!range) {
            appendLine('[' + section.toByteArray() + ']');
            range = std::make_pair(lines_.size(), lines_.size());
        }
        QHash<QByteArray, qsizetype> keyLines;
        qsizetype insertAt = range->first;
        for (qsizetype i = range->first; i < range->second; ++i) {
            const ParsedLine parsed = parseLine(lines_[i]);
            if (parsed.kind == ParsedLine::Key && !keyLines.contains(parsed.name.toLower()))
                keyLines.insert(parsed.name.toLower(), i);
            if (!lines_[i].trimmed().isEmpty())
                insertAt = i + 1;
        }
        QList<QByteArray> added;
        QHash<QByteArray, qsizetype> addedKeys; // a key given twice is added once
        for (const auto& [key, value] : entries) {
            const QByteArray line = key + '=' + value;
            const QByteArray name = key.toLower();
            if (const auto found = keyLines.constFind(name); found != keyLines.cend()) {
                lines_[*found] = withLineEnd(line);
            } else if (const auto again = addedKeys.constFind(name); again != addedKeys.cend()) {
                added[*again] = line;
            } else {
                addedKeys.insert(name, added.size());
                added.append(line);
            }
        }
        if (insertAt == lines_.size()) {
            for (const QByteArray& line : std::as_const(added))
                appendLine(line);
            return;
        }
        for (QByteArray& line : added)
            line = withLineEnd(line);
        lines_.insert(insertAt, added.size(), QByteArray());
        std::copy(added.cbegin(), added.cend(), lines_.begin() + insertAt);
    }

private:
    QByteArray withLineEnd(const QByteArray& line) const { return crLf_ ? line + '\r' : line; }

    void appendLine(const QByteArray& line) {
        if (!lines_.isEmpty() && !endsWithNewline_ && crLf_ && !lines_.back().endsWith('\r'))
            lines_.back().append('\r');
        lines_.append(withLineEnd(line));
        endsWithNewline_ = true;
    }

    QList<QByteArray> lines_;
    bool endsWithNewline_ = false;
    bool crLf_ = true; // a new file gets the line ends the Windows functions write
};

} // namespace

QByteArray ProfileSection::value(QByteArrayView key, QByteArrayView defaultValue) const {
    const auto found = values_.constFind(key.toByteArray().toLower());
    return found != values_.cend() ? *found : defaultValue.toByteArray();
}

QByteArray ProfileFile::readString(QByteArrayView section, QByteArrayView key,
                                   QByteArrayView defaultValue) const {
    return readSection(section).value(key, defaultValue);
}

ProfileSection ProfileFile::readSection(QByteArrayView section) const {
    ProfileSection result;
    if (const auto lines = ProfileLines::read(path_))
        result.values_ = lines->sectionValues(section);
    return result;
}

bool ProfileFile::writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    return writeStrings(section, {{key.toByteArray(), value.toByteArray()}});
}

bool ProfileFile::writeStrings(QByteArrayView section, const QList<Entry>& entries,
                               const QList<QByteArray>& retiredLines) {
    const QString shownPath = QDir::toNativeSeparators(path_);
    std::optional<ProfileLines> lines = ProfileLines::read(path_);
    if (!lines) {
        emit writeFailed(
            QStringLiteral("%1 を読み込めないため、設定を書き込みませんでした。").arg(shownPath));
        return false;
    }
    lines->removeLines(section, retiredLines);
    lines->setValues(section, entries);
    const QByteArray bytes = lines->toBytes();
    const bool saved =
        QDir().mkpath(QFileInfo(path_).absolutePath()) &&
        replaceFile(path_, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); });
    if (!saved)
        emit writeFailed(QStringLiteral("%1 に設定を書き込めませんでした。").arg(shownPath));
    return saved;
}
