#pragma once

#include "core/LinkConfiguration.h"
#include "core/TrafficStream.h"
#include "protocol/Exchange.h"
#include "protocol/LinkChannels.h"

#include <QString>
#include <QStringList>

struct SettingsDocument;

// Every text of the status bar and the traffic window, in one place: short Japanese words in the
// manner of the menus and dialogs, with the device's lines and the operators' known box texts
// kept as they are.

// The link the commands go over: "COM1 /dev/ttyUSB0 RS-485", "TCP クライアント 192.168.1.10:9004",
// "TCP サーバー ポート 9004". The device path and the peer are left out while unknown.
QString serialLinkText(int comPortIndex, const QString& devicePath, Rs485Mode mode);
QString tcpClientLinkText(const QString& peer);
QString tcpServerLinkText(quint16 port);

// Where the link stands: "オープン", "切断・再試行中", "接続済み", "待ち受け中（接続 3 台）",
// "送信先 127.0.0.1:40000（接続 3 台）". A server counts its devices; target names the chosen one.
QString linkStateText(LinkState state, InterfaceKind kind, TcpRole role, int devices,
                      const QString& target);

// "12:34:56　P01T05 → 受け付けました": the time it ended (sent, while it waits).
QString exchangeText(const Exchange& exchange);
// The status bar's line for a success box not shown: "12:34:56　P01T05 → Socket ＯＫ", or without
// the line when the device's "GO" answered none.
QString successLineText(const QDateTime& time, const QByteArray& line, const QString& boxText);

// The document's file name, "無題" before it has one, with " *" while it has unsaved changes;
// and its whole path for the tooltip.
QString documentText(const SettingsDocument& document);
QString documentToolTip(const SettingsDocument& document);

// The descriptions of the status bar's parts, for assistive tools.
namespace StatusPart {
inline const QString link = QStringLiteral("接続先");
inline const QString state = QStringLiteral("接続の状態");
inline const QString exchange = QStringLiteral("最後の送信");
inline const QString document = QStringLiteral("ファイル");
} // namespace StatusPart

// The traffic window.
namespace TrafficTexts {
inline const QString windowTitle = QStringLiteral("通信モニター");
inline const QString search = QStringLiteral("検索");
inline const QString searchHint = QStringLiteral("検索（例: E3、127.0.0.1）");
inline const QString copy = QStringLiteral("コピー");
inline const QString save = QStringLiteral("テキストで保存...");
inline const QString saveTitle = QStringLiteral("通信の記録を保存");
inline const QString saveFilter = QStringLiteral("テキスト(*.txt)");
inline const QString saveFailed = QStringLiteral("保存できませんでした");
inline const QString lines = QStringLiteral("通信の記録");
} // namespace TrafficTexts

// The column titles: time, direction, link, RS-485 address, the line or the outcome.
QStringList trafficColumnTitles();
// "送信", "受信", or "結果" for an exchange's outcome.
QString trafficDirectionText(TrafficDirection direction);
QString outcomeDirectionText();
// The line in the traffic log's quoted form, or what became of a line too long to be a reply.
QString trafficLineText(const QByteArray& bytes);
// An exchange's outcome row: "P01T05 → 受け付けました", with why, where the link said.
QString outcomeRowText(const Exchange& exchange);
