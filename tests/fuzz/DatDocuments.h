#pragma once

// What the .dat targets share: a document whose every field differs from what a file would
// most likely set it to, and a reader over bytes in memory.

#include "document/DatFile.h"

#include <QBuffer>

inline SettingsDocument startDocument() {
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

inline bool sameDocument(const SettingsDocument& left, const SettingsDocument& right) {
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

// The document as read from the bytes; false when the read failed.
inline bool read(QByteArray bytes, SettingsDocument& document) {
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    return readDatFile(file, document);
}
