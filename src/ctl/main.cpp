#include "ctl/StandardError.h"
#include "ctl/Zevctl.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zevctl"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    ZevctlSetup setup;
    setup.progressBar = standardErrorIsTerminal();
    return int(runZevctl(QCoreApplication::arguments(), out, err, setup));
}
