#include "app/QtOperatorPrompts.h"
#include "app/Startup.h"
#include "link/ConfigFolder.h"
#include "protocol/ShiftJisText.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QtOperatorPrompts prompts;

    if (!ShiftJisText::isAvailable()) {
        prompts.showMessage(
            {nullptr, QStringLiteral("ZEV-530TQ"),
             QStringLiteral("This Qt build cannot convert Shift-JIS (code page 932; it needs "
                            "ICU), so titles can be neither shown nor sent. Install a Qt "
                            "built with ICU."),
             BoxIcon::Stop, BoxBeep::None});
        return 1;
    }
    return runProgram(prompts, ConfigFolder::standard());
}
