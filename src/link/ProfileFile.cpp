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

bool nameBefore(QByteArrayView left, QByteArrayView right) {
    return left.compare(right, Qt::CaseInsensitive) < 0;
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

// The name in a section's "[name]" line (trimmed already), nothing for any other line. Looking
// for a section asks only this of each line.
std::optional<QByteArrayView> sectionName(QByteArrayView text) {
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    const qsizetype end = close < 0 ? text.size() : close;
    return text.sliced(1, end - 1).trimmed();
}

ParsedLine parseLine(QByteArrayView line) {
    const QByteArrayView text = line.trimmed();
    if (const auto name = sectionName(text))
        return {ParsedLine::Section, *name, {}};
    const qsizetype equals = text.indexOf('=');
    if (text.startsWith(';') || equals < 0)
        return {};
    return {ParsedLine::Key, text.first(equals).trimmed(),
            withoutQuotes(text.sliced(equals + 1).trimmed())};
}

} // namespace

QByteArray ProfileSection::value(QByteArrayView key, QByteArrayView defaultValue) const {
    const auto found = values_.constFind(Name{key});
    return (found != values_.cend() ? *found : defaultValue).toByteArray();
}

ProfileText::ProfileText(const QByteArray& bytes) : text_(bytes) {
    if (bytes.isEmpty())
        return;
    const qsizetype newlines = bytes.count('\n');
    lines_.reserve(newlines + 1);
    qsizetype start = 0;
    for (qsizetype end; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1)
        lines_.append({start, end - start});
    endsWithNewline_ = start == bytes.size();
    if (!endsWithNewline_)
        lines_.append({start, bytes.size() - start});
    // The line end most of its lines have, so that a line added by another editor does not
    // decide; CR LF when it is even.
    crLf_ = bytes.count("\r\n") * 2 >= newlines;
}

QByteArray ProfileText::toBytes() const {
    qsizetype size = lines_.size(); // the LFs, at most one too many
    for (const Line line : lines_)
        size += line.size;
    QByteArray bytes;
    bytes.reserve(size);
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            bytes.append('\n');
        bytes.append(lineText(lines_[i]));
    }
    if (endsWithNewline_)
        bytes.append('\n');
    return bytes;
}

// Index range [first, end) of the lines of the first section with this name.
std::optional<std::pair<qsizetype, qsizetype>>
ProfileText::sectionLines(QByteArrayView section) const {
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const auto name = sectionName(lineText(lines_[i]).trimmed());
        if (!name)
            continue;
        if (first >= 0)
            return std::make_pair(first, i);
        if (sameName(*name, section))
            first = i + 1;
    }
    if (first >= 0)
        return std::make_pair(first, lines_.size());
    return std::nullopt;
}

ProfileSection ProfileText::section(QByteArrayView name) const {
    ProfileSection result;
    const auto range = sectionLines(name);
    if (!range)
        return result;
    result.text_ = text_; // shared: the keys' views point into it
    result.values_.reserve(range->second - range->first);
    for (qsizetype i = range->first; i < range->second; ++i) {
        const ParsedLine parsed = parseLine(lineText(lines_[i]));
        if (parsed.kind == ParsedLine::Key && !result.values_.contains({parsed.name}))
            result.values_.insert({parsed.name}, parsed.value);
    }
    return result;
}

void ProfileText::removeLines(QByteArrayView section, const QList<QByteArray>& retiredLines) {
    const auto range = sectionLines(section);
    if (!range || retiredLines.isEmpty())
        return;
    const auto retired = [this, &retiredLines](Line line) {
        const QByteArrayView text = lineText(line).trimmed();
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
        appendLine(newLine({"[", section, "]"}));
        range = std::make_pair(lines_.size(), lines_.size());
    }
    // The names given, each once, with the first line that holds it and its place among the
    // lines added (-1 while there is none); sorted, so that each line of a long section finds
    // its key among many at once.
    struct Given {
        QByteArrayView name;
        qsizetype line = -1;
        qsizetype added = -1;
    };
    QList<Given> given;
    given.reserve(entries.size());
    for (const auto& entry : entries)
        given.append({entry.first});
    std::sort(given.begin(), given.end(), [](const Given& left, const Given& right) {
        return nameBefore(left.name, right.name);
    });
    given.erase(std::unique(given.begin(), given.end(),
                            [](const Given& left, const Given& right) {
                                return sameName(left.name, right.name);
                            }),
                given.end());
    const auto givenAs = [&given](QByteArrayView name) -> Given* {
        const auto found = std::lower_bound(
            given.begin(), given.end(), name,
            [](const Given& entry, QByteArrayView other) { return nameBefore(entry.name, other); });
        return found != given.end() && sameName(found->name, name) ? &*found : nullptr;
    };
    qsizetype insertAt = range->first;
    for (qsizetype i = range->first; i < range->second; ++i) {
        const QByteArrayView text = lineText(lines_[i]);
        const ParsedLine parsed = parseLine(text);
        if (parsed.kind == ParsedLine::Key) {
            if (Given* key = givenAs(parsed.name); key && key->line < 0)
                key->line = i;
        }
        if (!text.trimmed().isEmpty())
            insertAt = i + 1;
    }
    QList<Line> added; // a key given twice is added once, with its last value
    for (const auto& [key, value] : entries) {
        const Line line = newLine({key, "=", value});
        Given* name = givenAs(key);
        if (name->line >= 0) {
            lines_[name->line] = line;
        } else if (name->added >= 0) {
            added[name->added] = line;
        } else {
            name->added = added.size();
            added.append(line);
        }
    }
    if (insertAt == lines_.size()) {
        for (const Line line : std::as_const(added))
            appendLine(line);
        return;
    }
    lines_.insert(insertAt, added.size(), Line());
    std::copy(added.cbegin(), added.cend(), lines_.begin() + insertAt);
}

ProfileText::Line ProfileText::newLine(std::initializer_list<QByteArrayView> parts) {
    const qsizetype start = text_.size();
    for (const QByteArrayView part : parts)
        text_.append(part);
    if (crLf_)
        text_.append('\r');
    return {start, text_.size() - start};
}

void ProfileText::appendLine(Line line) {
    // A last line without its LF gets the CR of a CR LF before the new one; its bytes are copied
    // first, as they are in the text that grows.
    if (!lines_.isEmpty() && !endsWithNewline_ && crLf_ && !lineText(lines_.back()).endsWith('\r'))
        lines_.back() = newLine({lineText(lines_.back()).toByteArray()});
    lines_.append(line);
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
