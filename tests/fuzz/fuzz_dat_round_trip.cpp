// A .dat file read, written and read again. For any file that reads:
// - the document is written exactly when every title can be carried;
// - what is written reads back as the same document and is written again byte for byte.

#include "DatDocuments.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

// The bytes written, or nothing when the write was refused.
std::optional<QByteArray> written(const SettingsDocument& document) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    if (!writeDatFile(file, document))
        return std::nullopt;
    return file.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SettingsDocument start = startDocument();
    SettingsDocument document = start;
    if (!read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), document))
        return 0;
    const std::optional<QByteArray> saved = written(document);
    fuzzRequire(saved.has_value() == (firstUnstorableTitle(document) < 0),
                "a document is written exactly when its titles can be carried");
    if (!saved)
        return 0;
    SettingsDocument again = start;
    fuzzRequire(read(*saved, again), "a written file reads back");
    fuzzRequire(sameDocument(again, document), "a written file reads back as the same document");
    fuzzRequire(written(again) == saved, "a document read back is written byte for byte again");
    return 0;
}
