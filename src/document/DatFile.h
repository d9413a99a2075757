#pragma once

#include "core/SettingsDocument.h"

#include <QString>

class QIODevice;

// The settings file (*.dat): 784 lines ending in CR LF on every platform. The on flags, the
// switching times, the start-up and current pages, the two levels and two reserved numbers in
// decimal, then the 256 titles as their Shift-JIS bytes (the empty title as the letter "s"),
// then the four display positions. Readers take the values as whitespace-separated tokens, so
// the line breaks carry no meaning.

// Whether the file can carry a title. A title is read back as one token, so it must hold no
// blank or control byte, and it must not be the letter "s", which stands for the empty title.
bool titleFitsFile(QByteArrayView title);

// The index of the first title that the file cannot carry, or -1.
int firstUnstorableTitle(const SettingsDocument& document);

// Writes the 784 lines. False when a title cannot be carried (nothing is written then) or when
// the device takes fewer bytes than given.
bool writeDatFile(QIODevice& file, const SettingsDocument& document);

// Reads the 784 values into the document's file fields. A file that ends early leaves the
// numbers after its end as they are and empties the titles after its end; what follows the
// last value is ignored. A title longer than 29 bytes is cut at a character boundary. False,
// with the document unchanged, when a number is not a 32-bit decimal integer or the device
// fails to read; reason then says why for the operator (the line, what it should hold).
bool readDatFile(QIODevice& file, SettingsDocument& document, QString* reason = nullptr);
