#include "document/DocumentReset.h"
#include "settings/ReadBackDialog.h"
#include "settings/SendAllDialog.h"
#include "support/LinkedDevice.h"
#include "ui/DialogContext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstdio>

// A whole Send All and a whole read-back at their real pace against the simulated device over
// TCP, each timed from the press of its button to the end of its dialog. Takes five minutes;
// the exit code is 1 when a run is more than half a per cent off its target.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    LinkedDevice linked;
    if (const QString failure = linked.start(LinkedDevice::Link::TcpClient); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 2;
    }
    DialogContext context{{linked.state, linked.document, linked.boxes, linked.sender}, linked.tcp};

    struct Run {
        const char* name;
        int number;
        double targetSeconds;
    };
    const Run runs[] = {{"send all", SendAllDialog::number, 181.8},
                        {"read back", ReadBackDialog::number, 114.0}};
    bool withinTarget = true;
    for (const Run& run : runs) {
        resetDocument(linked.document, linked.state);
        linked.devices.first()->clearRecords();
        std::unique_ptr<TransferDialog> dialog;
        if (run.number == SendAllDialog::number)
            dialog = std::make_unique<SendAllDialog>(context);
        else
            dialog = std::make_unique<ReadBackDialog>(context);
        QEventLoop loop;
        QObject::connect(dialog.get(), &QDialog::finished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        dialog
            ->findChild<QPushButton*>(run.number == SendAllDialog::number ? "sendButton"
                                                                          : "readButton")
            ->click();
        loop.exec();
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        // The last line leaves in the tick that ends the dialog; let it and its answer arrive.
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double offPercent = (seconds - run.targetSeconds) / run.targetSeconds * 100;
        withinTarget = withinTarget && std::abs(offPercent) <= 0.5;
        std::printf("%-9s %9.3f s  target %6.1f s  %+.3f %%  %lld lines\n", run.name, seconds,
                    run.targetSeconds, offPercent,
                    static_cast<long long>(linked.devices.first()->receivedLines().size()));
        std::fflush(stdout);
    }
    return withinTarget ? 0 : 1;
}
