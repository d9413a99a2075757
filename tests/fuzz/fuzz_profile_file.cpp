// The INI file reader and writer. The input is a section name, a key and a value, one line
// each, then the file's bytes. The names and the value are first made writable (no "=", no
// brackets or quotes, no blanks around them). For any file:
// - reading it never fails;
// - after a write of the key, the key reads back as written;
// - every other key of the file reads as it did before;
// - writing the same value again leaves the file byte for byte as it was.

#include "FuzzCheck.h"
#include "link/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
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
QList<Name> namesIn(const QByteArray& file) {
    QList<Name> names;
    QByteArray section;
    for (const QByteArray& line : file.split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.startsWith('[')) {
            section = text.mid(1, text.indexOf(']') < 0 ? -1 : text.indexOf(']') - 1).trimmed();
        } else if (!text.startsWith(';') && text.contains('=')) {
            names.append({section, text.left(text.indexOf('=')).trimmed()});
            if (names.size() == namesChecked)
                break;
        }
    }
    return names;
}

const QByteArray absent = QByteArray("\x01") + "absent"; // stands for a missing key

// The value of each name, reading each section once.
QList<QByteArray> valuesOf(const ProfileFile& profile, const QList<Name>& names) {
    QHash<QByteArray, ProfileSection> sections;
    QList<QByteArray> values;
    for (const Name& name : names) {
        const QByteArray id = name.section.toLower();
        if (!sections.contains(id))
            sections.insert(id, profile.readSection(name.section));
        values.append(sections[id].value(name.key, absent));
    }
    return values;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    fuzzRequire(file.open(QIODevice::ReadOnly), "the written file opens");
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // In memory where there is such a folder: every input is a file write and replacement.
    static const QTemporaryDir folder(
        QDir("/dev/shm").exists() ? "/dev/shm/fuzz_profile_file-XXXXXX" : QString());
    static const QString path = folder.filePath("zev530tq.ini");

    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> parts = input.split('\n');
    while (parts.size() < 4)
        parts.append(QByteArray());
    const QByteArray section = keep(parts[0], "[]", "ZEV-530TQ_Section");
    const QByteArray key = keep(parts[1], "=[;\"'", "Interface");
    const QByteArray value = keep(parts[2], "\"'", "");
    const QByteArray file = input.sliced(
        qMin(input.size(), qsizetype(parts[0].size() + parts[1].size() + parts[2].size() + 3)));
    {
        QFile original(path);
        fuzzRequire(original.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                        original.write(file) == file.size(),
                    "the input file is written");
    }

    ProfileFile profile(path);
    const QList<Name> names = namesIn(file);
    const QList<QByteArray> before = valuesOf(profile, names);

    fuzzRequire(profile.writeString(section, key, value), "a write succeeds");
    fuzzRequire(profile.readString(section, key, absent) == value, "a key reads back as written");
    const QList<QByteArray> after = valuesOf(profile, names);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool written = sameName(names[i].section, section) && sameName(names[i].key, key);
        fuzzRequire(written || after[i] == before[i], "other keys read as before");
    }

    const QByteArray once = contents(path);
    fuzzRequire(profile.writeString(section, key, value), "a second write succeeds");
    fuzzRequire(contents(path) == once, "writing the same value again changes nothing");
    return 0;
}
