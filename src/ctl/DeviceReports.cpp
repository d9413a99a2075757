#include "ctl/DeviceReports.h"

#include <QJsonArray>
#include <QJsonDocument>

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

ExitCode reportDevices(const ReportStreams& streams, QJsonObject header,
                       const QList<DeviceReport>& reports, const QStringList& missing) {
    ExitCode exitCode = missing.isEmpty() ? ExitCode::Ok : ExitCode::LinkFailure;
    QJsonArray devices;
    for (const QString& device : missing) {
        if (!streams.json)
            streams.err << device << ": not connected\n";
        devices.append(QJsonObject{{QStringLiteral("device"), device},
                                   {QStringLiteral("result"), QStringLiteral("not connected")}});
    }
    for (const DeviceReport& report : reports) {
        const ExchangeResult& result = report.result;
        exitCode = std::max(exitCode, exitCodeOf(result.outcome));
        const QString reply = QString::fromLatin1(result.reply);
        devices.append(
            QJsonObject{{QStringLiteral("device"), report.device},
                        {QStringLiteral("result"), outcomeWord(result.outcome)},
                        {QStringLiteral("reply"), reply},
                        {QStringLiteral("meaning"), result.meaning},
                        {QStringLiteral("messages"), QJsonArray::fromStringList(result.messages)},
                        {QStringLiteral("details"), QJsonArray::fromStringList(result.details)}});
        if (streams.json)
            continue;
        QTextStream& stream = result.outcome == Outcome::Ok ? streams.out : streams.err;
        stream << report.device << ": " << outcomeWord(result.outcome);
        if (!reply.isEmpty())
            stream << ' ' << shortened(reply);
        if (!result.meaning.isEmpty())
            stream << " (" << result.meaning << ')';
        if (!result.messages.isEmpty())
            stream << ": " << result.messages.join(QStringLiteral(", "));
        stream << "\n";
        for (const QString& detail : result.details)
            stream << "  " << detail << "\n";
    }
    if (streams.json) {
        header.insert(QStringLiteral("devices"), devices);
        header.insert(QStringLiteral("exitCode"), int(exitCode));
        streams.out << QJsonDocument(header).toJson(QJsonDocument::Indented);
    }
    return exitCode;
}
