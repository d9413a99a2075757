#include "link/LinkSettings.h"

#include "core/LinkConfiguration.h"
#include "core/ViewSettings.h"
#include "protocol/FieldEncoding.h"

#include <QFile>
#include <algorithm>
#include <limits>

namespace {

const QByteArray sectionName = QByteArrayLiteral("ZEV-530TQ_Section");
const QByteArray defaultPortNumber = QByteArrayLiteral("09004");

// The Windows reader fills a buffer of fixed size: a value longer than the buffer arrives cut.
constexpr qsizetype numberBufferLength = 9;
constexpr qsizetype portBufferLength = 5;

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int numberKey(const ProfileSection& section, QByteArrayView key,
              QByteArrayView defaultValue = "0") {
    return decimalValue(section.value(key, defaultValue).left(numberBufferLength));
}

bool writeNumber(ProfileFile& file, QByteArrayView key, int value) {
    return file.writeString(sectionName, key, QByteArray::number(value));
}

// The two-digit rule writes the tens of entries 130 to 139 as "=", which ends the key.
bool isUnreadableSpelling(const char* digits) {
    return digits[0] == '=';
}

// How earlier versions wrote the key of such an entry, up to the value ("ip=0_0=" for entry
// 130), or nothing for entries they wrote readably.
QByteArray unreadableHostLine(int entry, int octet) {
    char digits[2];
    twoDigits(entry, digits);
    if (!isUnreadableSpelling(digits))
        return {};
    return QByteArrayLiteral("ip") + QByteArray(digits, 2) + '_' + char('0' + octet) + '=';
}

// "x,y,width,height" in decimal; nothing unless all four are there and the size is not empty.
std::optional<QRect> placeFromText(const QByteArray& text) {
    const QList<QByteArray> numbers = text.split(',');
    if (numbers.size() != 4)
        return std::nullopt;
    const QRect place(decimalValue(numbers[0]), decimalValue(numbers[1]), decimalValue(numbers[2]),
                      decimalValue(numbers[3]));
    if (place.width() <= 0 || place.height() <= 0)
        return std::nullopt;
    return place;
}

} // namespace

ProfileFile linkSettingsFile(const ConfigFolder& folder) {
    return ProfileFile(folder.filePath(QStringLiteral("zev530tq.ini")));
}

int decimalValue(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Held in 64 bits and kept within int, so that no text can overflow it.
    constexpr long long limit = std::numeric_limits<int>::max();
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), limit);
    return int(negative ? -value : value);
}

QByteArray hostKey(int entry, int octet) {
    char digits[2];
    twoDigits(entry, digits);
    const QByteArray number =
        isUnreadableSpelling(digits) ? QByteArray::number(entry) : QByteArray(digits, 2);
    return QByteArrayLiteral("ip") + number + '_' + char('0' + octet);
}

void loadLinkSettings(LinkConfiguration& link, const ProfileFile& file) {
    const ProfileSection section = file.readSection(sectionName);
    link.comPortIndex = numberKey(section, "com_port");
    link.rs485Mode = Rs485Mode(numberKey(section, "rs_control"));
    link.interfaceKind = InterfaceKind(numberKey(section, "Interface"));
    link.portNumberText.assign(
        section.value("port_number", defaultPortNumber).left(portBufferLength));
    link.tcpRole = TcpRole(numberKey(section, "ClientServer"));
    link.selectedConnection = numberKey(section, "select_number");
    link.listedHostsOnly = numberKey(section, "listed_hosts_only") != 0;
    for (int port = 0; port < LinkConfiguration::comPortCount; ++port)
        link.comDevicePaths[std::size_t(port)] = QFile::decodeName(
            section.value(QByteArrayLiteral("com") + QByteArray::number(port + 1) + "_device", ""));
    // The table has room for 256 hosts: a larger count must not reach beyond it.
    link.hostCount =
        std::clamp(numberKey(section, "list_count"), 0, LinkConfiguration::hostCapacity);
    for (int entry = 0; entry < link.hostCount; ++entry) {
        for (int octet = 0; octet < 4; ++octet)
            link.hostAddresses[std::size_t(entry)][std::size_t(octet)] =
                std::uint8_t(numberKey(section, hostKey(entry, octet)));
    }
}

bool writeInterfaceKind(ProfileFile& file, const LinkConfiguration& link) {
    return writeNumber(file, "Interface", int(link.interfaceKind));
}

bool writeComPort(ProfileFile& file, const LinkConfiguration& link) {
    return writeNumber(file, "com_port", link.comPortIndex);
}

bool writeRs485Mode(ProfileFile& file, const LinkConfiguration& link) {
    return writeNumber(file, "rs_control", int(link.rs485Mode));
}

bool writeTcpRole(ProfileFile& file, const LinkConfiguration& link) {
    return writeNumber(file, "ClientServer", int(link.tcpRole));
}

bool writePortNumber(ProfileFile& file, const LinkConfiguration& link) {
    return file.writeString(sectionName, "port_number", link.portNumberText.view());
}

bool writeSelectedConnection(ProfileFile& file, const LinkConfiguration& link) {
    return writeNumber(file, "select_number", link.selectedConnection);
}

bool writeHostList(ProfileFile& file, const LinkConfiguration& link, int firstEntry) {
    const int end = std::clamp(link.hostCount, 0, LinkConfiguration::hostCapacity);
    QList<ProfileFile::Entry> entries{{"list_count", QByteArray::number(link.hostCount)}};
    // The lines that earlier versions wrote for these hosts and never found again go with them;
    // one line each was added on every save, so that old files may hold thousands.
    QList<QByteArray> unreadable;
    for (int entry = std::max(firstEntry, 0); entry < end; ++entry) {
        for (int octet = 0; octet < 4; ++octet) {
            entries.append(
                {hostKey(entry, octet),
                 QByteArray::number(link.hostAddresses[std::size_t(entry)][std::size_t(octet)])});
            if (const QByteArray line = unreadableHostLine(entry, octet); !line.isEmpty())
                unreadable.append(line);
        }
    }
    return file.writeStrings(sectionName, entries, unreadable);
}

void loadViewSettings(ViewSettings& view, const ProfileFile& file) {
    const ProfileSection section = file.readSection(sectionName);
    view.successBoxes = numberKey(section, "success_boxes", "1") != 0;
    view.trafficWindowPlace = placeFromText(section.value("traffic_window", ""));
}

bool writeSuccessBoxes(ProfileFile& file, const ViewSettings& view) {
    return writeNumber(file, "success_boxes", view.successBoxes ? 1 : 0);
}

bool writeTrafficWindowPlace(ProfileFile& file, const ViewSettings& view) {
    if (!view.trafficWindowPlace)
        return true;
    const QRect& place = *view.trafficWindowPlace;
    return file.writeString(sectionName, "traffic_window",
                            QByteArray::number(place.x()) + ',' + QByteArray::number(place.y()) +
                                ',' + QByteArray::number(place.width()) + ',' +
                                QByteArray::number(place.height()));
}
