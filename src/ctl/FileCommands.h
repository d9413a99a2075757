#pragma once

#include "ctl/CtlReport.h"

// The commands of zevctl that need no device: a new document, and a document's titles to and
// from a table. Each reports in the report and gives back its exit code.

// The program's New, saved to path; an existing file is left as it is.
ExitCode writeNewDocument(const QString& path, CtlReport& report);

// The titles of a whole document as the table of TitleTable, on out (or in JSON, "titles").
ExitCode exportTitleTable(const QString& path, CtlReport& report);

// The titles of the table into the document; nothing changes while a line of the table is
// malformed or a title cannot be sent, unless skipBad (which leaves those titles out).
ExitCode importTitleTable(const QString& path, const QString& tablePath, bool skipBad,
                          CtlReport& report);
