#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <initializer_list>
#include <optional>
#include <utility>

// The keys of one section of a profile file as they were when it was read. Names are matched
// without regard to case; where a key appears twice, the first one counts.
class ProfileSection {
public:
    QByteArray value(QByteArrayView key, QByteArrayView defaultValue) const;

private:
    friend class ProfileText;
    // A key's name, matched and hashed without regard to case.
    struct Name {
        QByteArrayView text;

        friend bool operator==(Name left, Name right) {
            return left.text.compare(right.text, Qt::CaseInsensitive) == 0;
        }
        friend size_t qHash(Name name, size_t seed) {
            for (const char c : name.text)
                seed = seed * 31 + uchar(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            return seed;
        }
    };
    // The views point into the file's text, which the section shares instead of copying each
    // key: reading a section then costs the same few allocations however many keys it has.
    QByteArray text_;
    QHash<Name, QByteArrayView> values_; // the first value of each name
};

using ProfileEntry = std::pair<QByteArray, QByteArray>; // key, value

// The text of a profile file in memory, as lines: what ProfileFile reads and edits between
// reading the file and replacing it. Lines keep their own CR, so files written on Windows
// (CR LF) are written back with the same line ends; lines that are added end as most of the
// file's do.
class ProfileText {
public:
    explicit ProfileText(const QByteArray& bytes = {});

    QByteArray toBytes() const;
    ProfileSection section(QByteArrayView name) const;

    // Removes the section's lines that begin with one of the retired texts ("key=").
    void removeLines(QByteArrayView section, const QList<QByteArray>& retiredLines);
    // Changes the lines of keys that exist and adds the others after the section's last line
    // that is not blank, in the order given; adds the section when it is missing.
    void setValues(QByteArrayView section, const QList<ProfileEntry>& entries);

private:
    // Where one line's bytes are in text_, without its LF. A line is a place in one buffer
    // rather than a buffer of its own: reading a file of any length then takes two allocations,
    // and an edit copies the text once.
    struct Line {
        qsizetype start = 0;
        qsizetype size = 0;
    };

    QByteArrayView lineText(Line line) const {
        return QByteArrayView(text_).sliced(line.start, line.size);
    }
    std::optional<std::pair<qsizetype, qsizetype>> sectionLines(QByteArrayView section) const;
    // A line of ours put after the text, ending as the file's lines do.
    Line newLine(std::initializer_list<QByteArrayView> parts);
    void appendLine(Line line);

    QByteArray text_; // the file as it was read, then each line written since
    QList<Line> lines_;
    bool endsWithNewline_ = false;
    bool crLf_ = true; // a new file gets the line ends the Windows functions write
};

// A private-profile (INI) file read and written the way the Windows profile functions do it:
// "[section]" headers and "key=value" lines, blanks around names and values ignored, a value in
// matching quotes read without them, lines starting with ";" ignored, section and key names
// matched without regard to case. A write changes or adds the one line of its key and keeps
// every other line of the file byte for byte; it replaces the file as a whole, so a failure
// midway never leaves half a file. A file that is there but cannot be read (no permission, not
// a regular file, larger than maximumSize) reads as empty and is never written: a write would
// replace every other key. A write that is refused or fails is reported by writeFailed, with
// the text for the operator and why.
class ProfileFile : public QObject {
    Q_OBJECT
public:
    using Entry = ProfileEntry;

    // Far more than any settings file holds; reading a larger one would only cost memory.
    static constexpr qint64 maximumSize = 1024 * 1024;

    explicit ProfileFile(QString path, QObject* parent = nullptr)
        : QObject(parent), path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The value of the key, or defaultValue when the file, the section or the key is missing.
    QByteArray readString(QByteArrayView section, QByteArrayView key,
                          QByteArrayView defaultValue) const;
    // One read of the whole section, for callers that look up many keys.
    ProfileSection readSection(QByteArrayView section) const;

    // Sets one key, creating the file (and its folder) and the section when they are missing.
    bool writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    // Sets several keys of one section with a single replacement of the file. Lines that begin
    // with one of retiredLines (the text in front of a value, "key="), which an earlier version
    // wrote under a name no reader finds, go in the same replacement.
    bool writeStrings(QByteArrayView section, const QList<Entry>& entries,
                      const QList<QByteArray>& retiredLines = {});

signals:
    void writeFailed(const QString& text, const QString& detail);

private:
    // The file's text; nothing, with why in whyNot, when it is there but cannot be read. A
    // missing file is empty.
    std::optional<ProfileText> readText(QString* whyNot = nullptr) const;

    QString path_;
};
