#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

// The strict reading of a settings file (*.dat), for those who act on it with nobody looking
// (zevctl). The program's reader takes a file that ends early, or holds several values on a line,
// and the operator sees the document that came of it before sending; a script would send blank
// titles to every page instead. Here the file must be whole: 784 lines, each ending in LF (CR LF
// as the program writes them), each holding what its place calls for, a number in the range of
// its field or one title.

// No whole settings file is longer than this: 784 lines of at most a title of 29 bytes and CR LF.
constexpr qsizetype wholeDatFileLimit = 784 * 31;

// The first line that is missing or wrong, and why ("line 300: a switching time 0 to 99 is
// expected, not \"150\""); nothing when the file is whole.
std::optional<QString> wholeDatFileProblem(QByteArrayView bytes);
