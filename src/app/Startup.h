#pragma once

class ConfigFolder;
class OperatorPrompts;

#include <QString>

// The program from its single-instance check to the end of its event loop; the exit code.
// A second instance says so and ends with 0 without touching the running one. trafficLogPath:
// the file of --traffic-log, or "".
int runProgram(OperatorPrompts& prompts, const ConfigFolder& folder,
               const QString& trafficLogPath = {});
