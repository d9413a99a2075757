#pragma once

#include "core/SettingsDocument.h"

#include <QStringList>

// Every field that a read-back fills and that differs between the document of a file and the
// one read back from a device, each named as the operator knows it ("1T page 5 title: 「朝」 in
// the file, 「夜」 on the device"). Fields are compared as they travel: a title with its
// trailing full-width spaces, a flag as on or off; the levels are the file's own.
QStringList documentDifferences(const SettingsDocument& file, const SettingsDocument& device);
