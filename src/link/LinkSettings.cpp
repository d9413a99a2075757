#include "link/LinkSettings.h"

#include "app/AppState.h"
#include "protocol/FieldEncoding.h"

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

int numberKey(const ProfileSection& section, QByteArrayView key) {
    return decimalValue(section.value(key, "0").left(numberBufferLength));
}

bool writeNumber(ProfileFile& file, QByteArrayView key, int value) {
    return file.writeString(sectionName, key, QByteArray::number(value));
}

void appendHostEntries(QList<ProfileFile::Entry>& entries, const AppState& state, int entry) {
    for (int octet = 0; octet < 4; ++octet)
        entries.append(
            {hostKey(entry, octet),
             QByteArray::number(state.hostAddresses[std::size_t(entry)][std::size_t(octet)])});
}

bool isHostEntry(int entry) {
    return entry >= 0 && entry < AppState::hostCapacity;
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
    return QByteArrayLiteral("ip") + QByteArray(digits, 2) + '_' + char('0' + octet);
}

void loadLinkSettings(AppState& state, const ProfileFile& file) {
    const ProfileSection section = file.readSection(sectionName);
    state.comPortIndex = numberKey(section, "com_port");
    state.rs485Mode = numberKey(section, "rs_control");
    state.interfaceKind = numberKey(section, "Interface");
    state.portNumberText.assign(
        section.value("port_number", defaultPortNumber).left(portBufferLength));
    state.tcpRole = numberKey(section, "ClientServer");
    state.selectedConnection = numberKey(section, "select_number");
    // The table has room for 256 hosts: a larger count must not reach beyond it.
    state.hostCount = std::clamp(numberKey(section, "list_count"), 0, AppState::hostCapacity);
    for (int entry = 0; entry < state.hostCount; ++entry) {
        for (int octet = 0; octet < 4; ++octet)
            state.hostAddresses[std::size_t(entry)][std::size_t(octet)] =
                std::uint8_t(numberKey(section, hostKey(entry, octet)));
    }
}

bool writeInterfaceKind(ProfileFile& file, const AppState& state) {
    return writeNumber(file, "Interface", state.interfaceKind);
}

bool writeComPort(ProfileFile& file, const AppState& state) {
    return writeNumber(file, "com_port", state.comPortIndex);
}

bool writeRs485Mode(ProfileFile& file, const AppState& state) {
    return writeNumber(file, "rs_control", state.rs485Mode);
}

bool writeTcpRole(ProfileFile& file, const AppState& state) {
    return writeNumber(file, "ClientServer", state.tcpRole);
}

bool writePortNumber(ProfileFile& file, const AppState& state) {
    return file.writeString(sectionName, "port_number", state.portNumberText.view());
}

bool writeSelectedConnection(ProfileFile& file, const AppState& state) {
    return writeNumber(file, "select_number", state.selectedConnection);
}

bool writeHostCount(ProfileFile& file, const AppState& state) {
    return writeNumber(file, "list_count", state.hostCount);
}

bool writeHost(ProfileFile& file, const AppState& state, int entry) {
    if (!isHostEntry(entry))
        return false;
    QList<ProfileFile::Entry> entries;
    appendHostEntries(entries, state, entry);
    return file.writeStrings(sectionName, entries);
}

bool writeHostsFrom(ProfileFile& file, const AppState& state, int firstEntry) {
    const int end = std::min(state.hostCount, AppState::hostCapacity);
    if (!isHostEntry(firstEntry))
        return false;
    if (firstEntry >= end)
        return true; // the last entry was deleted: no entry moved
    QList<ProfileFile::Entry> entries;
    for (int entry = firstEntry; entry < end; ++entry)
        appendHostEntries(entries, state, entry);
    return file.writeStrings(sectionName, entries);
}
