#pragma once

#include "core/SettingsDocument.h"

#include <QStringList>
#include <optional>

// The white and edge levels of the characters that send-all sends: those the program's level
// dialog starts with, unless others are asked for. A document's own levels are only what a
// read-back last found (0 in a document the program made), never what is meant for a device.
struct CharacterLevels {
    int white = 1;
    int edge = 1;
};

// Every field that a read-back fills and that differs between the document of a file and the
// one read back from a device, each named as the operator knows it ("1T page 5 title: 「朝」 in
// the file, 「夜」 on the device"). Fields are compared as they travel: a title as the fourteen
// JIS codes it is sent as (shown in hexadecimal where its text cannot tell the two apart), a
// flag as on or off. The levels only when levels are given, against those.
QStringList documentDifferences(const SettingsDocument& file, const SettingsDocument& device,
                                const std::optional<CharacterLevels>& levels);
