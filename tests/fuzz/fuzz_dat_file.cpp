// The .dat reader. For any file:
// - a read that fails leaves the document as it was;
// - a read changes nothing but the file's fields;
// - the document read can be written exactly when every title can be carried, and what is
//   written reads back as the same document and is written again byte for byte.

#include "FuzzCheck.h"
#include "document/DatFile.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

// Every field differs from what a file would most likely set it to.
SettingsDocument startDocument() {
    SettingsDocument document;
    for (int index = 0; index < SettingsDocument::titleCount; ++index) {
        document.titleDisplayOn[index / 64][index % 64] = index % 3;
        document.autoSwitchTimes[index / 64][index % 64] = 100 + index;
        document.titleTexts[index].assign("before" + QByteArray::number(index));
    }
    document.startupPage = {11, 12, 13, 14};
    document.displayPage = {21, 22, 23, 24};
    document.whiteLevel = 31;
    document.edgeLevel = 32;
    document.reserved1 = 33;
    document.reserved2 = 34;
    document.displayPosition = {41, 42, 43, 44};
    document.documentPath.assign("/before/doc.dat");
    document.documentModified = 1;
    document.selectedWhiteLevel = 2;
    document.selectedEdgeLevel = 3;
    return document;
}

bool sameDocument(const SettingsDocument& left, const SettingsDocument& right) {
    for (int index = 0; index < SettingsDocument::titleCount; ++index) {
        if (left.titleTexts[index].view() != right.titleTexts[index].view())
            return false;
    }
    return left.titleDisplayOn == right.titleDisplayOn &&
           left.autoSwitchTimes == right.autoSwitchTimes && left.startupPage == right.startupPage &&
           left.displayPage == right.displayPage && left.whiteLevel == right.whiteLevel &&
           left.edgeLevel == right.edgeLevel && left.reserved1 == right.reserved1 &&
           left.reserved2 == right.reserved2 && left.displayPosition == right.displayPosition &&
           left.documentPath.view() == right.documentPath.view() &&
           left.documentModified == right.documentModified &&
           left.selectedWhiteLevel == right.selectedWhiteLevel &&
           left.selectedEdgeLevel == right.selectedEdgeLevel;
}

bool read(QByteArray bytes, SettingsDocument& document) {
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    return readDatFile(file, document);
}

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
