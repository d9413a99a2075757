#include "app/Startup.h"

#include "app/Program.h"
#include "app/SingleInstance.h"

#include <QApplication>

int runProgram(OperatorPrompts& prompts, const ConfigFolder& folder,
               const QString& trafficLogPath) {
    SingleInstance instance;
    if (!instance.acquire()) {
        prompts.showMessage({nullptr,
                             QStringLiteral("ZEV-530TQ"),
                             QStringLiteral("２重に起動はできません"),
                             BoxIcon::None,
                             BoxBeep::None,
                             {}});
        return 0;
    }
    TrafficLogFile trafficLog; // outlives the program, so that its last lines are written
    Program program(prompts, folder);
    program.window().show();
    program.keepTrafficLog(trafficLog, trafficLogPath);
    program.start();
    return QApplication::exec();
}
