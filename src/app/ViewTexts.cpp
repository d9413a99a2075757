#include "app/ViewTexts.h"

#include "core/SettingsDocument.h"
#include "core/TrafficStream.h"

#include <QFileInfo>

namespace {

constexpr qsizetype shownLineLength = 16;

QString timeOfDay(const QDateTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

// The reply as the device gave it, without its line end: "E3", "GN".
QString replyCodeText(const QByteArray& reply) {
    return QString::fromLatin1(reply.trimmed().left(shownLineLength));
}

QByteArray withoutLineEnd(const QByteArray& line) {
    return line.endsWith("\r\n") ? line.chopped(2) : line;
}

// What became of a line, in a word or two: "受け付けました", "エラー応答 E3".
QString outcomeWords(const Exchange& exchange) {
    const bool withReply = exchange.outcome == ExchangeOutcome::DeviceRefusal ||
                           exchange.outcome == ExchangeOutcome::OtherReply;
    if (!withReply)
        return outcomeText(exchange.outcome);
    // An empty reply stands for a line too long to be one.
    if (exchange.reply.isEmpty())
        return QStringLiteral("長すぎる応答");
    return outcomeText(exchange.outcome) + QLatin1Char(' ') + replyCodeText(exchange.reply);
}

// The line without its line end, a long one cut short ("CT01T05255A213C…").
QString exchangeLineText(const QByteArray& line) {
    const QByteArray shown = withoutLineEnd(line);
    if (shown.size() <= shownLineLength)
        return QString::fromLatin1(shown);
    return QString::fromLatin1(shown.left(shownLineLength - 1)) + QStringLiteral("…");
}

} // namespace

QString serialLinkText(int comPortIndex, const QString& devicePath, Rs485Mode mode) {
    QString text = QStringLiteral("COM%1").arg(comPortIndex + 1);
    if (!devicePath.isEmpty())
        text += QLatin1Char(' ') + devicePath;
    return text +
           (mode == Rs485Mode::Rs485 ? QStringLiteral(" RS-485") : QStringLiteral(" RS-232C"));
}

QString tcpClientLinkText(const QString& peer) {
    return peer.isEmpty() ? QStringLiteral("TCP クライアント")
                          : QStringLiteral("TCP クライアント %1").arg(peer);
}

QString tcpServerLinkText(quint16 port) {
    return QStringLiteral("TCP サーバー ポート %1").arg(port);
}

QString linkStateText(LinkState state, InterfaceKind kind, TcpRole role, int devices,
                      const QString& target) {
    const bool serial = kind == InterfaceKind::Serial;
    const QString count = QStringLiteral("（接続 %1 台）").arg(devices);
    switch (state) {
    case LinkState::Closed:
        if (serial)
            return QStringLiteral("閉じています");
        return role == TcpRole::Server ? QStringLiteral("停止中") : QStringLiteral("未接続");
    case LinkState::Opening:
        return serial ? QStringLiteral("開いています...") : QStringLiteral("接続しています...");
    case LinkState::Open:
        return QStringLiteral("オープン");
    case LinkState::Retrying:
        return QStringLiteral("切断・再試行中");
    case LinkState::Listening:
        return QStringLiteral("待ち受け中") + count;
    case LinkState::Connected:
        break;
    }
    if (role == TcpRole::Server)
        return QStringLiteral("送信先 %1").arg(target) + count;
    return QStringLiteral("接続済み");
}

QString exchangeText(const Exchange& exchange) {
    return successLineText(exchange.isEnded() ? exchange.endedAt : exchange.sentAt, exchange.line,
                           outcomeWords(exchange));
}

QString successLineText(const QDateTime& time, const QByteArray& line, const QString& boxText) {
    if (line.isEmpty())
        return QStringLiteral("%1　%2").arg(timeOfDay(time), boxText);
    return QStringLiteral("%1　%2 → %3").arg(timeOfDay(time), exchangeLineText(line), boxText);
}

QString documentText(const SettingsDocument& document) {
    const QString name =
        document.documentPath.isEmpty()
            ? QStringLiteral("無題")
            : QFileInfo(QString::fromUtf8(document.documentPath.view())).fileName();
    return document.documentModified ? name + QStringLiteral(" *") : name;
}

QString documentToolTip(const SettingsDocument& document) {
    QString text = document.documentPath.isEmpty()
                       ? QStringLiteral("まだ保存されていません")
                       : QString::fromUtf8(document.documentPath.view());
    if (document.documentModified)
        text += QStringLiteral("\n保存されていない変更があります（*）");
    return text;
}

QStringList trafficColumnTitles() {
    return {QStringLiteral("時刻"), QStringLiteral("方向"), QStringLiteral("接続"),
            QStringLiteral("アドレス"), QStringLiteral("内容")};
}

QString trafficDirectionText(TrafficDirection direction) {
    return direction == TrafficDirection::Sent ? QStringLiteral("送信") : QStringLiteral("受信");
}

QString outcomeDirectionText() {
    return QStringLiteral("結果");
}

QString trafficLineText(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QStringLiteral("（長すぎる行のため捨てました）");
    return QString::fromLatin1(quotedTrafficLine(bytes));
}

QString outcomeRowText(const Exchange& exchange) {
    QString text = QString::fromLatin1(withoutLineEnd(exchange.line)) + QStringLiteral(" → ") +
                   outcomeWords(exchange);
    if (!exchange.detail.isEmpty())
        text += QStringLiteral("：") + exchange.detail;
    return text;
}
