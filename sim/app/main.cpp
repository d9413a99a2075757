// zev530tq-sim: simulated ZEV-530TQ title generators for the zev530tq program, over TCP or a
// pseudo-terminal serial line, running until interrupted.

#include "sim/Device.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"
#include "sim/TrafficLog.h"
#include "sim/monitor/MonitorWindow.h"

#ifdef ZEV_SIM_POSIX
#include "sim/SerialDeviceBus.h"
#include "sim/TerminationSignals_posix.h"
#endif

#include <QApplication>
#include <QCommandLineParser>
#include <QHostAddress>
#include <QTextStream>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr int maximumDevices = 96; // the program's server takes at most this many
constexpr int reconnectIntervalMs = 1000;

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

int usageError(const QString& message) {
    QTextStream(stderr) << "zev530tq-sim: " << message << Qt::endl
                        << "Try 'zev530tq-sim --help'." << Qt::endl;
    return 2;
}

struct Endpoint {
    QString host;
    quint16 port = 0;
};

// "[HOST:]PORT"; the host is required unless `defaultHost` is given.
std::optional<Endpoint> parseEndpoint(const QString& text, const QString& defaultHost) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    Endpoint endpoint{colon < 0 ? defaultHost : text.left(colon), 0};
    bool isNumber = false;
    const uint port = text.mid(colon + 1).toUInt(&isNumber);
    if (endpoint.host.isEmpty() || !isNumber || port > 65535)
        return std::nullopt;
    endpoint.port = quint16(port);
    return endpoint;
}

// "ADDR[,ADDR...]": distinct slave addresses 0 to 31.
std::optional<QList<int>> parseAddresses(const QString& text) {
    QList<int> addresses;
    for (const QString& item : text.split(QLatin1Char(','))) {
        bool isNumber = false;
        const int address = item.trimmed().toInt(&isNumber);
        if (!isNumber || address < 0 || address > 31 || addresses.contains(address))
            return std::nullopt;
        addresses.append(address);
    }
    return addresses;
}

QString twoDigitAddress(int address) {
    return QStringLiteral("%1").arg(address, 2, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char* argv[]) {
    // Only the monitor needs a display; without it the simulator stays a console program.
    const bool monitor = std::any_of(argv + 1, argv + argc, [](const char* argument) {
        return qstrcmp(argument, "--monitor") == 0;
    });
    const std::unique_ptr<QCoreApplication> app =
        monitor ? std::make_unique<QApplication>(argc, argv)
                : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zev530tq-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated ZEV-530TQ title generators for the zev530tq program, over TCP or a serial\n"
        "line (a pseudo-terminal). Runs until interrupted.\n"
        "\n"
        "Examples:\n"
        "  zev530tq-sim --listen 9004\n"
        "      one device on TCP port 9004 of 127.0.0.1, for the program as TCP client\n"
        "  zev530tq-sim --connect 127.0.0.1:9004 --devices 3\n"
        "      three devices connecting to the program as TCP server on port 9004\n"
        "  zev530tq-sim --serial /tmp/zev530tq-com1 --rs485 0,5\n"
        "      two RS-485 devices, addresses 00 and 05, on a serial line at /tmp/zev530tq-com1\n"
        "  zev530tq-sim --listen 9004 --monitor\n"
        "      one device, and a window that shows its two channels with their titles"));
    parser.addHelpOption();
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("One device listening on TCP (host 127.0.0.1 unless given; port 0 takes "
                       "any free port)."),
        QStringLiteral("[HOST:]PORT"));
    const QCommandLineOption connectTo(
        QStringLiteral("connect"),
        QStringLiteral("Devices connecting to the program's TCP server at HOST:PORT."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption devices(
        QStringLiteral("devices"),
        QStringLiteral("With --connect: the number of devices, 1 to 96 (default 1)."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption serial(
        QStringLiteral("serial"),
        QStringLiteral("A serial line: open a pseudo-terminal and make a symbolic link to it at "
                       "PATH for the program to open."),
        QStringLiteral("PATH"));
    const QCommandLineOption rs485(
        QStringLiteral("rs485"),
        QStringLiteral("With --serial: an RS-485 bus of devices with these slave addresses (0 "
                       "to 31); without it the line is RS-232C with one device."),
        QStringLiteral("ADDR[,ADDR...]"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Print every line received and every reply sent."));
    const QCommandLineOption monitorOption(
        QStringLiteral("monitor"),
        QStringLiteral("Open a window that shows the two video channels as the device keys "
                       "them, with the last commands and replies (needs a display)."));
    parser.addOptions({listen, connectTo, devices, serial, rs485, log, monitorOption});
    parser.process(*app);

    const int modes =
        int(parser.isSet(listen)) + int(parser.isSet(connectTo)) + int(parser.isSet(serial));
    if (modes != 1)
        return usageError(QStringLiteral("give exactly one of --listen, --connect, --serial"));
    if (parser.isSet(devices) && !parser.isSet(connectTo))
        return usageError(QStringLiteral("--devices goes with --connect"));
    if (parser.isSet(rs485) && !parser.isSet(serial))
        return usageError(QStringLiteral("--rs485 goes with --serial"));
    const bool logging = parser.isSet(log);

    // Caught before anything is announced: a script that stops the simulator as soon as it has
    // read what it listens on must find it stopping cleanly.
#ifdef ZEV_SIM_POSIX
    sim::TerminationSignals termination;
    if (!termination.install())
        return usageError(QStringLiteral("cannot catch SIGINT and SIGTERM"));
    QObject::connect(&termination, &sim::TerminationSignals::terminationRequested, app.get(),
                     &QCoreApplication::quit);
#endif

    std::unique_ptr<QObject> transport;
    QList<sim::MonitoredDevice> simulated;
    if (parser.isSet(listen)) {
        const auto endpoint = parseEndpoint(parser.value(listen), QStringLiteral("127.0.0.1"));
        QHostAddress address(endpoint ? endpoint->host : QString());
        if (endpoint && endpoint->host == QStringLiteral("localhost"))
            address = QHostAddress::LocalHost;
        if (!endpoint || address.isNull())
            return usageError(QStringLiteral("--listen wants [HOST:]PORT, the host as an address"));
        auto server = std::make_unique<sim::TcpDeviceServer>();
        if (!server->listen(address, endpoint->port)) {
            return usageError(QStringLiteral("cannot listen on %1:%2: %3")
                                  .arg(endpoint->host)
                                  .arg(endpoint->port)
                                  .arg(server->errorString()));
        }
        QObject::connect(server.get(), &sim::TcpDeviceServer::clientConnected,
                         [] { out() << "program connected" << Qt::endl; });
        QObject::connect(server.get(), &sim::TcpDeviceServer::clientDisconnected,
                         [] { out() << "program disconnected" << Qt::endl; });
        QObject::connect(
            server.get(), &sim::TcpDeviceServer::acceptFailed, [](const QString& reason) {
                out() << "cannot accept a connection (" << reason << "), trying again" << Qt::endl;
            });
        simulated.append({server->device(), QStringLiteral("device"), false});
        out() << "zev530tq-sim: one device listening on " << endpoint->host << ':'
              << server->serverPort() << Qt::endl;
        transport = std::move(server);
    } else if (parser.isSet(connectTo)) {
        const auto endpoint = parseEndpoint(parser.value(connectTo), QString());
        if (!endpoint || endpoint->port == 0)
            return usageError(QStringLiteral("--connect wants HOST:PORT"));
        bool isNumber = false;
        const int count = parser.value(devices).toInt(&isNumber);
        if (!isNumber || count < 1 || count > maximumDevices)
            return usageError(QStringLiteral("--devices wants a number from 1 to 96"));
        auto clients = std::make_unique<sim::TcpDeviceClients>(count);
        clients->setReconnectInterval(reconnectIntervalMs);
        QObject::connect(clients.get(), &sim::TcpDeviceClients::deviceConnected, [](int index) {
            out() << "device " << index + 1 << " connected" << Qt::endl;
        });
        QObject::connect(clients.get(), &sim::TcpDeviceClients::deviceDisconnected, [](int index) {
            out() << "device " << index + 1 << " disconnected" << Qt::endl;
        });
        for (int index = 0; index < count; ++index)
            simulated.append(
                {clients->device(index), QStringLiteral("device %1").arg(index + 1), false});
        out() << "zev530tq-sim: " << count << (count == 1 ? " device" : " devices")
              << " connecting to " << endpoint->host << ':' << endpoint->port << Qt::endl;
        clients->connectToProgram(endpoint->host, endpoint->port);
        transport = std::move(clients);
    } else {
#ifdef ZEV_SIM_POSIX
        std::unique_ptr<sim::SerialDeviceBus> bus;
        if (parser.isSet(rs485)) {
            const auto addresses = parseAddresses(parser.value(rs485));
            if (!addresses)
                return usageError(QStringLiteral("--rs485 wants distinct addresses 0 to 31"));
            bus = std::make_unique<sim::SerialDeviceBus>(*addresses);
        } else {
            bus = std::make_unique<sim::SerialDeviceBus>();
        }
        if (!bus->open() || !bus->linkSlave(parser.value(serial)))
            return usageError(bus->errorString());
        for (int index = 0; index < bus->deviceCount(); ++index) {
            const int address = bus->device(index)->slaveAddress();
            simulated.append({bus->device(index),
                              bus->isRs485() ? QStringLiteral("device ") + twoDigitAddress(address)
                                             : QStringLiteral("device"),
                              bus->isRs485()});
        }
        out() << "zev530tq-sim: serial line " << bus->slavePath() << ", linked at "
              << parser.value(serial) << Qt::endl;
        if (bus->isRs485()) {
            QStringList addresses;
            for (int index = 0; index < bus->deviceCount(); ++index)
                addresses << twoDigitAddress(bus->device(index)->slaveAddress());
            out() << "zev530tq-sim: RS-485 devices at addresses " << addresses.join(", ")
                  << Qt::endl;
        } else {
            out() << "zev530tq-sim: RS-232C, one device" << Qt::endl;
        }
        transport = std::move(bus);
#else
        return usageError(QStringLiteral("--serial needs pseudo-terminals (POSIX)"));
#endif
    }

    for (int index = 0; logging && index < simulated.size(); ++index)
        sim::logTraffic(simulated[index].device, simulated[index].name, out());
    std::unique_ptr<sim::MonitorWindow> window;
    if (monitor) {
        window = std::make_unique<sim::MonitorWindow>(simulated);
        window->show();
    }

    return app->exec();
}
