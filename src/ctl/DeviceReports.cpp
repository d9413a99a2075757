#include "ctl/DeviceReports.h"

#include <QJsonArray>

namespace {

constexpr qsizetype longestReplyShown = 40;

// A data reply as long as a glyph is cut short in the text report; JSON carries it whole.
QString shortened(const QString& reply) {
    if (reply.size() <= longestReplyShown)
        return reply;
    return QStringLiteral("%1… (%2 characters)").arg(reply.left(16)).arg(reply.size());
}

QString outcomeWord(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return QStringLiteral("ok");
    case Outcome::Differs:
        return QStringLiteral("differs");
    case Outcome::DeviceError:
        return QStringLiteral("device error");
    case Outcome::Disconnected:
        return QStringLiteral("disconnected");
    case Outcome::NoAnswer:
        break;
    }
    return QStringLiteral("no answer");
}

ExitCode exitCodeOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return ExitCode::Ok;
    case Outcome::Differs:
    case Outcome::DeviceError:
        return ExitCode::DeviceError;
    case Outcome::NoAnswer:
    case Outcome::Disconnected:
        break;
    }
    return ExitCode::LinkFailure;
}

} // namespace

ExitCode reportDevices(CtlReport& report, const QList<DeviceReport>& devices,
                       const QStringList& missing) {
    ExitCode exitCode = missing.isEmpty() ? ExitCode::Ok : ExitCode::LinkFailure;
    for (const QString& device : missing) {
        report.addDevice(QJsonObject{{QStringLiteral("device"), device},
                                     {QStringLiteral("result"), QStringLiteral("not connected")}},
                         false, {device + QStringLiteral(": not connected")});
    }
    for (const DeviceReport& each : devices) {
        const ExchangeResult& result = each.result;
        exitCode = std::max(exitCode, exitCodeOf(result.outcome));
        const QString reply = QString::fromLatin1(result.reply);
        QJsonObject device{
            {QStringLiteral("device"), each.device},
            {QStringLiteral("result"), outcomeWord(result.outcome)},
            {QStringLiteral("reply"), reply},
            {QStringLiteral("meaning"), result.meaning},
            {QStringLiteral("messages"), QJsonArray::fromStringList(result.messages)},
            {QStringLiteral("details"), QJsonArray::fromStringList(result.details)}};
        if (each.connection != 0)
            device.insert(QStringLiteral("connection"), each.connection);
        QString line = each.device + QStringLiteral(": ") + outcomeWord(result.outcome);
        if (!reply.isEmpty())
            line += QLatin1Char(' ') + shortened(reply);
        if (!result.meaning.isEmpty())
            line += QStringLiteral(" (%1)").arg(result.meaning);
        if (!result.messages.isEmpty())
            line += QStringLiteral(": ") + result.messages.join(QStringLiteral(", "));
        QStringList lines{line};
        for (const QString& detail : result.details)
            lines.append(QStringLiteral("  ") + detail);
        report.addDevice(device, result.outcome == Outcome::Ok, lines);
    }
    return exitCode;
}
