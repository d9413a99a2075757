#pragma once

#include "core/LinkConfiguration.h"
#include "link/TcpLink.h"

#include <QTcpSocket>
#include <QTest>
#include <memory>

// A device on 127.0.0.1 that connects to the TCP link in the server role (listening on a free
// port) and is chosen as its target, so that the link is connected; its address text reads
// "127.0.0.1". Nothing when it did not come up.
inline std::unique_ptr<QTcpSocket> connectChosenDevice(TcpLink& tcp, LinkConfiguration& link) {
    link.tcpRole = TcpRole::Server;
    if (!tcp.isListening()) {
        link.portNumberText.assign("");
        if (!tcp.startListening())
            return nullptr;
    }
    auto device = std::make_unique<QTcpSocket>();
    device->connectToHost(QHostAddress::LocalHost, tcp.listeningPort());
    int entry = 0;
    const auto entryFound = [&] {
        for (entry = TcpLink::lastConnection; entry >= TcpLink::firstConnection; --entry)
            if (const Connection& connection = tcp.connectionTable()[std::size_t(entry)];
                connection.inUse && connection.socket->peerPort() == device->localPort())
                return device->state() == QAbstractSocket::ConnectedState;
        return false;
    };
    return QTest::qWaitFor(entryFound) && tcp.chooseTarget(entry) ? std::move(device) : nullptr;
}
