#include "core/AppState.h"
#include "core/OperatorPrompts.h"
#include "core/TrafficLogFile.h"
#include "core/SettingsDocument.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A device floods the program with lines while the traffic log is on, over TCP (the program the
// client of a socket of this bench) and over a pseudo-terminal opened as COM1: the program's own
// links, command sender and reply handler, with boxes that the operator closes at once. The
// device writes from a thread of its own, as fast as the program takes the lines. Prints the
// longest pause of the event loop and what the log takes on disk; exit code 1 when a pause is
// 16 ms or longer or the log grows beyond its bound.
//   bench_traffic_log [LINES [LOG]]   (1000000 lines by default, glyph lines a tenth of that;
//                                      the log in a temporary folder)

namespace {

class ClosingPrompts : public OperatorPrompts {
public:
    void showMessage(const MessageBoxRequest&) override { ++boxes; }
    bool askYesNo(QObject*, const QString&, const QString&) override { return false; }
    QString chooseFile(const FileDialogRequest&) override { return {}; }
    qint64 boxes = 0;
};

// Writes the lines to the descriptor, blocking as the program holds the device back.
void flood(int descriptor, const QByteArray& line, qint64 count) {
    const qint64 perChunk = std::max<qint64>(1, 65536 / line.size());
    const QByteArray chunk = line.repeated(perChunk);
    for (qint64 sent = 0; sent < count; sent += perChunk) {
        const qsizetype size = qsizetype(std::min(perChunk, count - sent) * line.size());
        for (qsizetype written = 0; written < size;) {
            const ssize_t n =
                ::write(descriptor, chunk.constData() + written, size_t(size - written));
            if (n <= 0)
                return;
            written += n;
        }
    }
}

struct Result {
    double seconds = 0;
    qint64 longestPauseUs = 0;
    qint64 linesHandled = 0;
};

// Runs the event loop until count lines have been handled (or, without a sender, for a second),
// measuring the gaps between the ticks of a 1 ms timer.
Result measure(CommandSender* sender, qint64 count) {
    Result result;
    QElapsedTimer clock, sinceTick;
    clock.start();
    sinceTick.start();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        result.longestPauseUs = std::max(result.longestPauseUs, sinceTick.nsecsElapsed() / 1000);
        sinceTick.restart();
    });
    probe.start(1);
    QEventLoop loop;
    if (sender)
        QObject::connect(sender, &CommandSender::replyInterpreted, &loop, [&] {
            if (++result.linesHandled == count)
                loop.quit();
        });
    QTimer::singleShot(sender ? 600000 : 1000, &loop, &QEventLoop::quit);
    loop.exec();
    result.seconds = double(clock.nsecsElapsed()) / 1e9;
    return result;
}

qint64 logSize(const QString& path) {
    qint64 size = QFileInfo(path).size();
    for (int number = 1; number <= TrafficLogFile::keptFiles + 1; ++number)
        size += QFileInfo(QStringLiteral("%1.%2").arg(path).arg(number)).size();
    return size;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const qint64 lines = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir folder;
    const QString logPath =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : folder.filePath("traffic.log");
    TrafficLogFile log;
    if (!log.open(logPath)) {
        std::fprintf(stderr, "%s\n", qPrintable(log.errorText()));
        return 2;
    }
    const QByteArray glyph = "FBMBA65" + QByteArray(576, 'A') + "\r\n";
    struct Row {
        const char* link;
        const char* kind;
        QByteArray line;
        qint64 count;
    };
    const Row rows[] = {{"tcp", "GO", "GO\r\n", lines},
                        {"pty", "GO", "GO\r\n", lines},
                        {"tcp", "glyph", glyph, lines / 10},
                        {"pty", "glyph", glyph, lines / 10}};
    const qint64 bound = TrafficLogFile::defaultRotationSize * (TrafficLogFile::keptFiles + 1);
    // What the machine itself adds: the same probe on an event loop with nothing to do.
    std::printf("idle event loop, 1 s: longest pause %.2f ms\n",
                double(measure(nullptr, 0).longestPauseUs) / 1000);
    bool within = true;
    for (const Row& row : rows) {
        AppState state;
        SettingsDocument document;
        ClosingPrompts prompts;
        MessageBoxes boxes(prompts, state.dialogs);
        TcpLink tcp(state.link);
        SerialLink serial(state, ConfigFolder(folder.path()));
        CommandSender sender(state, document, boxes, serial, tcp);
        state.running = 1;
        std::thread device;
        int descriptor = -1;
        const bool overTcp = QByteArrayView(row.link) == "tcp";
        if (overTcp) {
            const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
                ::listen(listener, 1) != 0 ||
                ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
                return 2;
            state.link.interfaceKind = InterfaceKind::Tcp;
            state.link.hostAddresses[0] = {127, 0, 0, 1};
            state.link.hostCount = 1;
            state.link.portNumberText.assign(QByteArray::number(ntohs(address.sin_port)));
            if (!tcp.connectToDevice())
                return 2;
            device = std::thread([&, listener] {
                descriptor = ::accept(listener, nullptr, nullptr);
                ::close(listener);
                flood(descriptor, row.line, row.count);
            });
        } else {
            int secondary = -1;
            char name[256] = {};
            if (openpty(&descriptor, &secondary, name, nullptr, nullptr) != 0)
                return 2;
            QFile::remove(folder.filePath("COM1"));
            QFile::link(QString::fromLocal8Bit(name), folder.filePath("COM1"));
            serial.openSerialPort();
            ::close(secondary);
            if (!serial.isOpen())
                return 2;
            device = std::thread([&] { flood(descriptor, row.line, row.count); });
        }
        const Result result = measure(&sender, row.count);
        device.join();
        ::close(descriptor);
        const bool fast = result.longestPauseUs < 16000 && result.linesHandled == row.count;
        const qint64 size = logSize(logPath);
        within = within && fast && size <= bound;
        std::printf("%s %-5s %8lld lines in %6.2f s: longest pause %6.2f ms, %lld boxes, log %.1f "
                    "MiB on disk (bound %lld MiB)\n",
                    row.link, row.kind, result.linesHandled, result.seconds,
                    double(result.longestPauseUs) / 1000, prompts.boxes,
                    double(size) / (1024 * 1024), bound / (1024 * 1024));
        std::fflush(stdout);
    }
    return within ? 0 : 1;
}
