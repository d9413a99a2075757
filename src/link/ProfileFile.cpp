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

// One line of the file taken apart, as views into the line, which is kept as it was: the
// lines are parsed again on every lookup, and copies would cost more than the lookup.
struct ParsedLine {
    enum Kind { Other, Section, Key } kind = Other;
    QByteArrayView name;  // section or key name, trimmed
    QByteArrayView value; // trimmed, outer quotes removed
};

QByteArrayView withoutQuotes(QByteArrayView value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

ParsedLine parseLine(QByteArrayView line) {
    const QByteArrayView text = line.trimmed();
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        const qsizetype end = close < 0 ? text.size() : close;
        return {ParsedLine::Section, text.sliced(1, end - 1).trimmed(), {}};
    }
    const qsizetype equals = text.indexOf('=');
    if (text.startsWith(';') || equals < 0)
        return {};
    return {ParsedLine::Key, text.first(equals).trimmed(),
            withoutQuotes(text.sliced(equals + 1).trimmed())};
}

// The name in lower case, as the names are kept, in buffer: the lines of a file are looked up
// one after the other, and a copy for each would cost more than the lookup.
const QByteArray& lowerCaseName(QByteArrayView name, QByteArray& buffer) {
    buffer.resize(name.size());
    std::transform(name.begin(), name.end(), buffer.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return buffer;
}

} // namespace

QByteArray ProfileSection::value(QByteArrayView key, QByteArrayView defaultValue) const {
    const auto found = values_.constFind(key.toByteArray().toLower());
    return found != values_.cend() ? *found : defaultValue.toByteArray();
}

ProfileText::ProfileText(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    lines_ = bytes.split('\n');
    endsWithNewline_ = bytes.endsWith('\n');
    if (endsWithNewline_)
        lines_.removeLast();
    // The line end most of its lines have, so that a line added by another editor does not
    // decide; CR LF when it is even.
    crLf_ = bytes.count("\r\n") * 2 >= bytes.count('\n');
}

QByteArray ProfileText::toBytes() const {
    QByteArray bytes = lines_.join('\n');
    if (endsWithNewline_)
        bytes.append('\n');
    return bytes;
}

// Index range [first, end) of the lines of the first section with this name.
std::optional<std::pair<qsizetype, qsizetype>>
ProfileText::sectionLines(QByteArrayView section) const {
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

ProfileSection ProfileText::section(QByteArrayView name) const {
    ProfileSection result;
    QByteArray key;
    if (const auto range = sectionLines(name)) {
        for (qsizetype i = range->first; i < range->second; ++i) {
            const ParsedLine parsed = parseLine(lines_[i]);
            if (parsed.kind == ParsedLine::Key &&
                !result.values_.contains(lowerCaseName(parsed.name, key)))
                result.values_.insert(key, parsed.value.toByteArray());
        }
    }
    return result;
}

void ProfileText::removeLines(QByteArrayView section, const QList<QByteArray>& retiredLines) {
    const auto range = sectionLines(section);
    if (!range || retiredLines.isEmpty())
        return;
    const auto retired = [&retiredLines](const QByteArray& line) {
        const QByteArrayView text = QByteArrayView(line).trimmed();
        return std::any_of(
            retiredLines.begin(), retiredLines.end(), [&text](const QByteArray& start) {
                return text.size() >= start.size() && sameName(text.first(start.size()), start);
            });
    };
    lines_.erase(
        std::remove_if(lines_.begin() + range->first, lines_.begin() + range->second, retired),
        lines_.begin() + range->second);
}

void ProfileText::setValues(QByteArrayView section, const QList<ProfileEntry>& entries) {
    auto range = sectionLines(section);
    if (!range) {
        appendLine('[' + section.toByteArray() + ']');
        range = std::make_pair(lines_.size(), lines_.size());
    }
    // The first line of each key given, -1 while none is found.
    QHash<QByteArray, qsizetype> keyLines;
    for (const auto& entry : entries)
        keyLines.insert(entry.first.toLower(), -1);
    QByteArray lineKey;
    qsizetype insertAt = range->first;
    for (qsizetype i = range->first; i < range->second; ++i) {
        const ParsedLine parsed = parseLine(lines_[i]);
        if (parsed.kind == ParsedLine::Key) {
            if (const auto found = keyLines.find(lowerCaseName(parsed.name, lineKey));
                found != keyLines.end() && *found < 0)
                *found = i;
        }
        if (!QByteArrayView(lines_[i]).trimmed().isEmpty())
            insertAt = i + 1;
    }
    QList<QByteArray> added;
    QHash<QByteArray, qsizetype> addedKeys; // a key given twice is added once
    for (const auto& [key, value] : entries) {
        const QByteArray line = key + '=' + value;
        const QByteArray name = key.toLower();
        if (const auto found = keyLines.constFind(name); *found >= 0) {
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

void ProfileText::appendLine(const QByteArray& line) {
    if (!lines_.isEmpty() && !endsWithNewline_ && crLf_ && !lines_.back().endsWith('\r'))
        lines_.back().append('\r');
    lines_.append(withLineEnd(line));
    endsWithNewline_ = true;
}

std::optional<ProfileText> ProfileFile::readText(QString* whyNot) const {
    const auto refuse = [whyNot](const QString& reason) {
        if (whyNot)
            *whyNot = reason;
        return std::nullopt;
    };
    const QFileInfo info(path_);
    if (!info.exists())
        return ProfileText();
    // Not a regular file (a folder, or a pipe that would hold us): cannot be ours.
    if (!info.isFile())
        return refuse(QStringLiteral("通常のファイルではありません。"));
    const QString tooLarge = QStringLiteral("1 MiB を超えるファイルは設定ファイルではありません。");
    if (info.size() > maximumSize)
        return refuse(tooLarge);
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    // No more than the limit and one byte, in case the file grew since it was looked at.
    const QByteArray bytes = file.read(maximumSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(file.errorString());
    if (bytes.size() > maximumSize)
        return refuse(tooLarge);
    return ProfileText(bytes);
}

QByteArray ProfileFile::readString(QByteArrayView section, QByteArrayView key,
                                   QByteArrayView defaultValue) const {
    return readSection(section).value(key, defaultValue);
}

ProfileSection ProfileFile::readSection(QByteArrayView section) const {
    const std::optional<ProfileText> text = readText();
    return text ? text->section(section) : ProfileSection();
}

bool ProfileFile::writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    return writeStrings(section, {{key.toByteArray(), value.toByteArray()}});
}

bool ProfileFile::writeStrings(QByteArrayView section, const QList<Entry>& entries,
                               const QList<QByteArray>& retiredLines) {
    const QString shownPath = QDir::toNativeSeparators(path_);
    QString whyNot;
    std::optional<ProfileText> text = readText(&whyNot);
    if (!text) {
        emit writeFailed(
            QStringLiteral("%1 を読み込めないため、設定を書き込みませんでした。").arg(shownPath),
            whyNot);
        return false;
    }
    text->removeLines(section, retiredLines);
    text->setValues(section, entries);
    const QByteArray bytes = text->toBytes();
    const QString folder = QFileInfo(path_).absolutePath();
    bool saved = QDir().mkpath(folder);
    if (!saved)
        whyNot = QStringLiteral("フォルダ %1 を作れません。").arg(QDir::toNativeSeparators(folder));
    saved =
        saved && replaceFile(
                     path_, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); },
                     &whyNot);
    if (!saved)
        emit writeFailed(QStringLiteral("%1 に設定を書き込めませんでした。").arg(shownPath),
                         whyNot);
    return saved;
}
