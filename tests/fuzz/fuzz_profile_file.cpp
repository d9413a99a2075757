// The INI file's reader and editor, in memory as the settings file uses them between reading
// the file and replacing it. The input is a section name, a key and a value, one line each,
// then the file's bytes. The names and the value are first made writable (no "=", no brackets
// or quotes, no blanks around them). For any file:
// - after a write of the key, the file's new text reads the key back as written;
// - every other key of the file reads as it did before;
// - writing the same value again leaves the file byte for byte as it was.

#include "FuzzCheck.h"
#include "link/ProfileFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int namesChecked = 64;

bool sameName(QByteArrayView left, QByteArrayView right) {
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

// The bytes up to the next LF, which rest then begins after.
QByteArrayView takeLine(QByteArrayView& rest) {
    const qsizetype end = rest.indexOf('\n');
    const QByteArrayView line = end < 0 ? rest : rest.first(end);
    rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
    return line;
}

// The printable bytes of text that are not in `unwanted`, without blanks around them.
QByteArray keep(QByteArrayView text, QByteArrayView unwanted, const char* ifEmpty) {
    QByteArray kept;
    for (char byte : text) {
        if (byte >= ' ' && byte <= '~' && !unwanted.contains(byte))
            kept.append(byte);
    }
    kept = kept.trimmed();
    return kept.isEmpty() ? QByteArray(ifEmpty) : kept;
}

struct Name {
    QByteArrayView section;
    QByteArrayView key;
};

// The section and key names the file seems to hold, found the simple way; a few more or less
// than the reader sees does no harm.
QList<Name> namesIn(QByteArrayView file) {
    QList<Name> names;
    QByteArrayView section;
    for (QByteArrayView rest = file; !rest.isEmpty() && names.size() < namesChecked;) {
        const QByteArrayView text = takeLine(rest).trimmed();
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            section = text.sliced(1, (close < 0 ? text.size() : close) - 1).trimmed();
        } else if (!text.startsWith(';') && text.contains('=')) {
            names.append({section, text.first(text.indexOf('=')).trimmed()});
        }
    }
    return names;
}

const QByteArray absent = QByteArray("\x01") + "absent"; // stands for a missing key

// The value of each name, reading each section once.
QList<QByteArray> valuesOf(const ProfileText& text, const QList<Name>& names) {
    QList<std::pair<QByteArrayView, ProfileSection>> sections;
    QList<QByteArray> values;
    values.reserve(names.size());
    for (const Name& name : names) {
        auto section = std::find_if(sections.begin(), sections.end(), [&name](const auto& read) {
            return sameName(read.first, name.section);
        });
        if (section == sections.end()) {
            sections.append({name.section, text.section(name.section)});
            section = sections.end() - 1;
        }
        values.append(section->second.value(name.key, absent));
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArrayView rest = input;
    const QByteArray section = keep(takeLine(rest), "[]", "ZEV-530TQ_Section");
    const QByteArray key = keep(takeLine(rest), "=[;\"'", "Interface");
    const QByteArray value = keep(takeLine(rest), "\"'", "");
    const QByteArray file = rest.toByteArray();

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
