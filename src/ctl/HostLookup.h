#pragma once

#include <QHostAddress>
#include <QString>
#include <optional>

// The IPv4 address of a host, written as an address or as a name. A name is looked up with the
// event loop running (the links and timers go on meanwhile), for at most waitSeconds. Nothing,
// with why in whyNot, when the host has no IPv4 address or none came in time.
std::optional<QHostAddress> lookUpIpv4(const QString& host, int waitSeconds, QString& whyNot);
