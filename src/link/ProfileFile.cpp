#include "link/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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
// are written back with the same line ends; lines that we add follow the file's first line.
class ProfileLines {
public:
    static ProfileLines read(const QString& path) {
        ProfileLines result;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return result;
        const QByteArray bytes = file.readAll();
        if (bytes.isEmpty())
            return result;
        result.lines_ = bytes.split('\n');
        result.endsWithNewline_ = bytes.endsWith('\n');
        if (result.endsWithNewline_)
            result.lines_.removeLast();
        const qsizetype firstNewline = bytes.indexOf('\n');
        result.crLf_ = firstNewline < 0 || (firstNewline > 0 && bytes[firstNewline - 1] == '\r');
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
    result.values_ = ProfileLines::read(path_).sectionValues(section);
    return result;
}

bool ProfileFile::writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    return writeStrings(section, {{key.toByteArray(), value.toByteArray()}});
}

bool ProfileFile::writeStrings(QByteArrayView section, const QList<Entry>& entries,
                               const QList<QByteArray>& retiredLines) {
    ProfileLines lines = ProfileLines::read(path_);
    lines.removeLines(section, retiredLines);
    lines.setValues(section, entries);

    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return false;
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = lines.toBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
