#include "app/CommandLine.h"
#include "app/QtOperatorPrompts.h"
#include "app/Startup.h"
#include "core/ShiftJisText.h"
#include "link/ConfigFolder.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char* argv[]) {
    // Answered before the application exists: --help and --version need no display.
    const CommandLine commandLine = parseCommandLine(argumentsOf(argc, argv));
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(qPrintable(commandLine.text), stdout);
        return 0;
    case CommandLine::Action::Refuse:
        std::fputs(qPrintable(commandLine.text), stderr);
        return 2;
    case CommandLine::Action::Run:
        break;
    }

    QApplication application(argc, argv);
    // The desktop entry of the same name gives the window its icon and its place in the menu.
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.zev530tq.Zev530tq"));
    // The program speaks Japanese, and so do Qt's own buttons and file dialogs.
    QTranslator qtTranslation;
    if (qtTranslation.load(QStringLiteral("qtbase_ja"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslation);

    QtOperatorPrompts prompts;

    if (!ShiftJisText::isAvailable()) {
        prompts.showMessage(
            {nullptr,
             QStringLiteral("ZEV-530TQ"),
             QStringLiteral("This Qt build cannot convert Shift-JIS (code page 932; it needs "
                            "ICU), so titles can be neither shown nor sent. Install a Qt "
                            "built with ICU."),
             BoxIcon::Stop,
             BoxBeep::None,
             {}});
        return 1;
    }
    return runProgram(prompts, ConfigFolder::standard(), commandLine.trafficLogPath);
}
