// The .dat reader, on inputs no longer than a file that stops after its numbers and a few
// titles, so that many are tried. For any file:
// - a read that fails leaves the document as it was;
// - a read changes nothing but the file's fields.
// What a read document is written as: fuzz_dat_round_trip.

#include "DatDocuments.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SettingsDocument start = startDocument();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    SettingsDocument document = start;
    if (!read(bytes, document)) {
        fuzzRequire(sameDocument(document, start), "a failed read leaves the document as it was");
        return 0;
    }
    SettingsDocument outsideFileAsBefore = document;
    outsideFileAsBefore.documentPath = start.documentPath;
    outsideFileAsBefore.documentModified = start.documentModified;
    outsideFileAsBefore.selectedWhiteLevel = start.selectedWhiteLevel;
    outsideFileAsBefore.selectedEdgeLevel = start.selectedEdgeLevel;
    fuzzRequire(sameDocument(outsideFileAsBefore, document),
                "a read changes only the file's fields");
    return 0;
}
