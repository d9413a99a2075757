// The INI file's reader and editor, in memory as the settings file uses them between reading
// the file and replacing it. The input is a section name, a key and a value, one line each,
// then the file's bytes. The names and the value are first made writable (no "=", no brackets
// or quotes, no blanks around them). For any file:
// - after a write of the key, the file's new text reads the key back as written;
// - every other key of the file reads as it did before;
// - writing the same value again leaves the file byte for byte as it was.

#include "FuzzCheck.h"
#include "link/ProfileFile.h"

#include <QHash>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int namesChecked = 64;

bool sameName(QByteArrayView left, QByteArrayView right) {
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

// The printable bytes of text that are not in `unwanted`, without blanks around them.
QByteArray keep(const QByteArray& text, QByteArrayView unwanted, const char* ifEmpty) {
    QByteArray kept;
    for (char byte : text) {
        if (byte >= ' ' && byte <= '~' && !unwanted.contains(byte))
            kept.append(byte);
    }
    kept = kept.trimmed();
    return kept.isEmpty() ? QByteArray(ifEmpty) : kept;
}

struct Name {
    QByteArray section;
    QByteArray key;
};

// The section and key names the file seems to hold, found the simple way; a few more or less
// than the reader sees does no harm.
QList<Name> namesIn(QByteArrayView file) {
    QList<Name> names;
    QByteArrayView section;
    for (qsizetype start = 0; start < file.size() && names.size() < namesChecked;) {
        qsizetype end = file.indexOf('\n', start);
        end = end < 0 ? file.size() : end;
        const QByteArrayView text = file.sliced(start, end - start).trimmed();
        start = end + 1;
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            section = text.sliced(1, (close < 0 ? text.size() : close) - 1).trimmed();
        } else if (!text.startsWith(';') && text.contains('=')) {
            names.append(
                {section.toByteArray(), text.first(text.indexOf('=')).trimmed().toByteArray()});
        }
    }
    return names;
}

const QByteArray absent = QByteArray("\x01") + "absent"; // stands for a missing key

// The value of each name, reading each section once.
QList<QByteArray> valuesOf(const ProfileText& text, const QList<Name>& names) {
    QHash<QByteArray, ProfileSection> sections;
    QList<QByteArray> values;
    for (const Name& name : names) {
        const QByteArray id = name.section.toLower();
        if (!sections.contains(id))
            sections.insert(id, text.section(name.section));
        values.append(sections[id].value(name.key, absent));
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> parts = input.split('\n');
    while (parts.size() < 4)
        parts.append(QByteArray());
    const QByteArray section = keep(parts[0], "[]", "ZEV-530TQ_Section");
    const QByteArray key = keep(parts[1], "=[;\"'", "Interface");
    const QByteArray value = keep(parts[2], "\"'", "");
    const QByteArray file = input.sliced(
        qMin(input.size(), qsizetype(parts[0].size() + parts[1].size() + parts[2].size() + 3)));

    const QList<Name> names = namesIn(file);
    const ProfileText original(file);
    const QList<QByteArray> before = valuesOf(original, names);

    ProfileText edited = original;
    edited.setValues(section, {{key, value}});
    const QByteArray once = edited.toBytes();
    const ProfileText read(once);
    fuzzRequire(read.section(section).value(key, absent) == value, "a key reads back as written");
    const QList<QByteArray> after = valuesOf(read, names);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool changed = sameName(names[i].section, section) && sameName(names[i].key, key);
        fuzzRequire(changed || after[i] == before[i], "other keys read as before");
    }
    ProfileText again = read;
    again.setValues(section, {{key, value}});
    fuzzRequire(again.toBytes() == once, "writing the same value again changes nothing");
    return 0;
}
