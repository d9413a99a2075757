#pragma once

#include <QString>

class QTextStream;

namespace sim {

class Device;

// The line as text: printable ASCII as it is, other bytes as \xNN.
QString printable(const QByteArray& text);

// Prints every line `device` receives ("<name> <- CWL2") and every reply it writes
// ("<name> -> GO"), one output line each, without CR LF; other control bytes as \xNN.
void logTraffic(Device* device, const QString& name, QTextStream& out);

} // namespace sim
