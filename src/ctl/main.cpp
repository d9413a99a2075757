#include "ctl/Zevctl.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zevctl"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return int(runZevctl(QCoreApplication::arguments(), out, err));
}
