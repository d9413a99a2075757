#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <array>

namespace sim {

// The stored settings of one simulated title generator and the interpreter of its command
// lines. Plain data, no I/O: the transports feed it lines through sim::Device.
//
// Areas are 0 ch.1 Top, 1 ch.1 Bottom, 2 ch.2 Top, 3 ch.2 Bottom; pages 0 to 63 stand for the
// page numbers 1 to 64, and autoPage (64) for automatic page switching.
class DeviceModel {
public:
    static constexpr int areaCount = 4;
    static constexpr int pageCount = 64;
    static constexpr int titleLength = 14;  // JIS codes per title
    static constexpr int glyphCount = 28;   // registration numbers 1 to 28
    static constexpr int glyphDigits = 576; // 48 x 48 dots, 4 dots per hexadecimal digit
    static constexpr int autoPage = 64;
    static constexpr int broadcastAddress = 32;
    static constexpr quint16 fullWidthSpace = 0x2121;

    using TitleCodes = std::array<quint16, titleLength>;

    explicit DeviceModel(int slaveAddress = 0);

    // Carries out one command line (with its CR LF, without any RS-485 address) and returns
    // the reply line with its CR LF: "GO", a read-back line, "GN" for a glyph read during
    // automatic switching, or "E3" for anything not understood or out of range (the device
    // then keeps its settings). Tests may call it directly to preset a device.
    QByteArray respond(const QByteArray& line);

    TitleCodes titleCodes(int area, int page) const;
    bool titleShown(int area, int page) const;
    int switchTime(int area, int page) const;
    int startupPage(int area) const;
    int displayPage(int area) const;
    int displayPosition(int area) const;
    int whiteLevel() const { return whiteLevel_; }
    int edgeLevel() const { return edgeLevel_; }
    int slaveAddress() const { return slaveAddress_; }
    void setSlaveAddress(int address) { store(slaveAddress_, address); }
    // The 576 upper-case digits of registered glyph 1 to 28 (all "0" until registered).
    QByteArray glyph(int number) const;
    // True while any area switches its pages automatically (a glyph read is refused then).
    bool switchesAutomatically() const;

    // The character code under which glyph 1 to 28 appears in titles and glyph reads:
    // 0xBA65 to 0xBA7E for 1 to 26, 0xBB21 and 0xBB22 for 27 and 28.
    static quint16 glyphCode(int number);
    // The bitmap answered to a glyph read of a code that is no registered glyph: blank for
    // the full-width space, otherwise a fixed pattern made from the code.
    static QByteArray characterBitmap(quint16 code);

    // Counts the changes of the settings: it moves whenever a setting takes another value and
    // only then, so that whoever saw a number knows the settings are as they were, without
    // comparing them all; a command that stores what is there already leaves it.
    quint64 revision() const { return revision_; }

    // The same settings in every field, after as many changes.
    friend bool operator==(const DeviceModel&, const DeviceModel&) = default;

private:
    // Every setting is written through here, so that the revision follows it.
    template <typename T> void store(T& setting, const T& value) {
        if (setting == value)
            return;
        setting = value;
        ++revision_;
    }

    QByteArray carryOut(QByteArrayView command);
    QByteArray titleCommand(QByteArrayView command);
    QByteArray displayFlagCommand(QByteArrayView command);
    QByteArray switchTimeCommand(QByteArrayView command);
    QByteArray pageCommand(QByteArrayView command, int fieldsAt, std::array<int, 4>& pages);
    QByteArray displayPositionCommand(QByteArrayView command);
    QByteArray levelCommand(QByteArrayView command, int& level);
    QByteArray slaveAddressCommand(QByteArrayView command);
    QByteArray glyphRegistration(QByteArrayView command);
    QByteArray glyphInsertion(QByteArrayView command);
    QByteArray readRequest(QByteArrayView command);
    QByteArray glyphRead(QByteArrayView command) const;

    std::array<TitleCodes, areaCount * pageCount> titles_;
    std::array<bool, areaCount * pageCount> titleShown_;
    std::array<int, areaCount * pageCount> switchTimes_;
    std::array<int, areaCount> startupPages_;
    std::array<int, areaCount> displayPages_;
    std::array<int, areaCount> displayPositions_;
    std::array<QByteArray, glyphCount> glyphs_;
    int whiteLevel_ = 1;
    int edgeLevel_ = 1;
    int slaveAddress_ = 0;
    quint64 revision_ = 0;
};

} // namespace sim
