#pragma once

#include <QString>
#include <optional>

// The operator's words for the device's fields on the command line, each checked before anything
// is sent: a value outside its range is refused with the reason, never sent as something else.

// "1T", "1B", "2T", "2B" (either case), or the area numbers 0 to 3.
std::optional<int> parseArea(const QString& text);

// Pages "1" to "64" as page indexes 0 to 63; with allowAuto also "auto" (SettingsDocument's
// autoPage).
std::optional<int> parsePage(const QString& text, bool allowAuto);

// A decimal number from low to high.
std::optional<int> parseNumber(const QString& text, int low, int high);

// Why the argument was refused, for the message.
QString badArgument(const QString& what, const QString& text, const QString& expected);
