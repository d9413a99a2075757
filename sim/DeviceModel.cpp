#include "sim/DeviceModel.h"

#include "sim/CommandFields.h"

namespace sim {

namespace {

const QByteArray accepted("GO");
const QByteArray commandError("E3");
const QByteArray refusedWhileSwitching("GN");

int tableIndex(int area, int page) {
    return area * DeviceModel::pageCount + page;
}

// "A" for automatic switching, else the page number as two digits (the read-back layout).
QByteArray pageField(int page) {
    return page >= DeviceModel::autoPage ? QByteArray("A") : fields::twoDigits(page + 1);
}

} // namespace

DeviceModel::DeviceModel(int slaveAddress) : slaveAddress_(slaveAddress) {
    TitleCodes blankTitle;
    blankTitle.fill(fullWidthSpace);
    titles_.fill(blankTitle);
    titleShown_.fill(true);
    switchTimes_.fill(2);
    startupPages_.fill(0);
    displayPages_.fill(0);
    displayPositions_.fill(7);
    glyphs_.fill(QByteArray(glyphDigits, '0'));
}

QByteArray DeviceModel::respond(const QByteArray& line) {
    if (!line.endsWith("\r\n"))
        return commandError + "\r\n";
    return carryOut(QByteArrayView(line).chopped(2)) + "\r\n";
}

DeviceModel::TitleCodes DeviceModel::titleCodes(int area, int page) const {
    return titles_[tableIndex(area, page)];
}

bool DeviceModel::titleShown(int area, int page) const {
    return titleShown_[tableIndex(area, page)];
}

int DeviceModel::switchTime(int area, int page) const {
    return switchTimes_[tableIndex(area, page)];
}

int DeviceModel::startupPage(int area) const {
    return startupPages_[area];
}
int DeviceModel::displayPage(int area) const {
    return displayPages_[area];
}
int DeviceModel::displayPosition(int area) const {
    return displayPositions_[area];
}
QByteArray DeviceModel::glyph(int number) const {
    return glyphs_[number - 1];
}

bool DeviceModel::switchesAutomatically() const {
    for (int page : displayPages_) {
        if (page == autoPage)
            return true;
    }
    return false;
}

quint16 DeviceModel::glyphCode(int number) {
    return number <= 26 ? quint16(0xBA65 + number - 1) : quint16(0xBB21 + number - 27);
}

QByteArray DeviceModel::characterBitmap(quint16 code) {
    QByteArray bitmap(glyphDigits, '0');
    if (code == fullWidthSpace)
        return bitmap;
    const int high = code >> 8;
    const int low = code & 0xFF;
    for (int row = 0; row < 48; ++row) {
        for (int digit = 0; digit < 12; ++digit) {
            const int value = ((high * (row + 1)) ^ (low * (digit + 3))) & 0xF;
            bitmap[row * 12 + digit] = fields::hexDigit(value);
        }
    }
    return bitmap;
}

QByteArray DeviceModel::carryOut(QByteArrayView command) {
    // Longer mnemonics first: "CTDPO" and "CTD" also begin with "CT".
    if (command.startsWith('R'))
        return readRequest(command);
    if (command.startsWith("CTDPO"))
        return displayPositionCommand(command);
    if (command.startsWith("CTD"))
        return displayFlagCommand(command);
    if (command.startsWith("CT") || command.startsWith("CN"))
        return titleCommand(command);
    if (command.startsWith("CWL"))
        return levelCommand(command, whiteLevel_);
    if (command.startsWith("CEL"))
        return levelCommand(command, edgeLevel_);
    if (command.startsWith("AST"))
        return switchTimeCommand(command);
    if (command.startsWith("SUS"))
        return pageCommand(command, 3, startupPages_);
    if (command.startsWith("SA"))
        return slaveAddressCommand(command);
    if (command.startsWith('P'))
        return pageCommand(command, 1, displayPages_);
    if (command.startsWith("GR"))
        return glyphRegistration(command);
    if (command.startsWith('G'))
        return glyphInsertion(command);
    return commandError;
}

// "CT" (kept in memory) or "CN" (not kept), area, page, 14 codes of 4 hexadecimal digits.
// The simulator keeps the title in both cases: it is what the device shows until it restarts.
QByteArray DeviceModel::titleCommand(QByteArrayView command) {
    const int area = fields::area(command, 2);
    const int page = fields::page(command, 5);
    const QByteArrayView codes = command.sliced(qMin<qsizetype>(7, command.size()));
    if (command.size() != 7 + 4 * titleLength || area < 0 || page < 0 || !fields::isUpperHex(codes))
        return commandError;
    TitleCodes title;
    for (int i = 0; i < titleLength; ++i)
        title[i] = quint16(fields::hexValue(codes.sliced(4 * i, 4)));
    store(titles_[tableIndex(area, page)], title);
    return accepted;
}

// "CTD", area, then either one page and "ON"/"OF", or 64 letters "N"/"F".
QByteArray DeviceModel::displayFlagCommand(QByteArrayView command) {
    const int area = fields::area(command, 3);
    if (area < 0)
        return commandError;
    if (command.size() == 10) {
        const int page = fields::page(command, 6);
        const QByteArrayView word = command.sliced(8);
        if (page < 0 || (word != "ON" && word != "OF"))
            return commandError;
        store(titleShown_[tableIndex(area, page)], word == "ON");
        return accepted;
    }
    if (command.size() != 6 + pageCount)
        return commandError;
    const QByteArrayView letters = command.sliced(6);
    for (char letter : letters) {
        if (letter != 'N' && letter != 'F')
            return commandError;
    }
    for (int page = 0; page < pageCount; ++page)
        store(titleShown_[tableIndex(area, page)], letters[page] == 'N');
    return accepted;
}

// "AST", area, then either one page and its time, or 64 times; times are 00 to 99 seconds.
QByteArray DeviceModel::switchTimeCommand(QByteArrayView command) {
    const int area = fields::area(command, 3);
    if (area < 0)
        return commandError;
    if (command.size() == 10) {
        const int page = fields::page(command, 6);
        const int seconds = fields::number(command, 8, 2, 0, 99);
        if (page < 0 || seconds < 0)
            return commandError;
        store(switchTimes_[tableIndex(area, page)], seconds);
        return accepted;
    }
    if (command.size() != 6 + 2 * pageCount)
        return commandError;
    std::array<int, pageCount> times;
    for (int page = 0; page < pageCount; ++page) {
        times[page] = fields::number(command, 6 + 2 * page, 2, 0, 99);
        if (times[page] < 0)
            return commandError;
    }
    for (int page = 0; page < pageCount; ++page)
        store(switchTimes_[tableIndex(area, page)], times[page]);
    return accepted;
}

// "P" or "SUS" (fields from `fieldsAt`), area, page "01" to "64" or "AS".
QByteArray DeviceModel::pageCommand(QByteArrayView command, int fieldsAt,
                                    std::array<int, 4>& pages) {
    const int area = fields::area(command, fieldsAt);
    const int page = fields::pageOrAuto(command, fieldsAt + 3);
    if (command.size() != fieldsAt + 5 || area < 0 || page < 0)
        return commandError;
    store(pages[area], page);
    return accepted;
}

// "CTDPO", area, position 00 to 15.
QByteArray DeviceModel::displayPositionCommand(QByteArrayView command) {
    const int area = fields::area(command, 5);
    const int position = fields::number(command, 8, 2, 0, 15);
    if (command.size() != 10 || area < 0 || position < 0)
        return commandError;
    store(displayPositions_[area], position);
    return accepted;
}

// "CWL" or "CEL" and one digit 0 to 3.
QByteArray DeviceModel::levelCommand(QByteArrayView command, int& level) {
    const int value = fields::number(command, 3, 1, 0, 3);
    if (command.size() != 4 || value < 0)
        return commandError;
    store(level, value);
    return accepted;
}

// "SA" and 00 to 31, or 32 (the broadcast choice), which is accepted but cannot become the
// device's own address: it keeps the one it has.
QByteArray DeviceModel::slaveAddressCommand(QByteArrayView command) {
    const int address = fields::number(command, 2, 2, 0, broadcastAddress);
    if (command.size() != 4 || address < 0)
        return commandError;
    if (address < broadcastAddress)
        store(slaveAddress_, address);
    return accepted;
}

// "GR", registration number 01 to 28, 576 hexadecimal digits.
QByteArray DeviceModel::glyphRegistration(QByteArrayView command) {
    const int number = fields::number(command, 2, 2, 1, glyphCount);
    if (command.size() != 4 + glyphDigits || number < 0 || !fields::isUpperHex(command.sliced(4)))
        return commandError;
    store(glyphs_[number - 1], command.sliced(4).toByteArray());
    return accepted;
}

// "G", glyph 01 to 28, "C", area, page, "I", character position 01 to 14: the glyph's code
// replaces that character of the title.
QByteArray DeviceModel::glyphInsertion(QByteArrayView command) {
    const int number = fields::number(command, 1, 2, 1, glyphCount);
    const int area = fields::area(command, 4);
    const int page = fields::page(command, 7);
    const int position = fields::number(command, 10, 2, 1, titleLength);
    if (command.size() != 12 || command[3] != 'C' || command[9] != 'I' || number < 0 || area < 0 ||
        page < 0 || position < 0)
        return commandError;
    store(titles_[tableIndex(area, page)][position - 1], glyphCode(number));
    return accepted;
}

QByteArray DeviceModel::readRequest(QByteArrayView command) {
    if (command.startsWith("RFBM"))
        return glyphRead(command);
    if (command == "RCEL")
        return "CEL" + QByteArray(1, char('0' + edgeLevel_));
    if (command == "RCWL")
        return "CWL" + QByteArray(1, char('0' + whiteLevel_));
    // The remaining requests name an area after their mnemonic, "RCT" also a page.
    struct Request {
        const char* mnemonic;
        qsizetype length;
    };
    static const Request requests[] = {{"RCTDPO", 9}, {"RCTD", 7}, {"RCT", 8},
                                       {"RAST", 7},   {"RSUS", 7}, {"RP", 5}};
    for (const Request& request : requests) {
        const QByteArrayView mnemonic(request.mnemonic);
        if (!command.startsWith(mnemonic))
            continue;
        const int area = fields::area(command, mnemonic.size());
        if (command.size() != request.length || area < 0)
            return commandError;
        const QByteArray head = command.sliced(1).toByteArray();
        if (mnemonic == "RCTDPO")
            return head + fields::twoDigits(displayPositions_[area]);
        if (mnemonic == "RSUS")
            return head + pageField(startupPages_[area]);
        if (mnemonic == "RP")
            return head + pageField(displayPages_[area]);
        QByteArray reply = head;
        if (mnemonic == "RCTD") {
            for (int page = 0; page < pageCount; ++page)
                reply += titleShown_[tableIndex(area, page)] ? 'N' : 'F';
        } else if (mnemonic == "RAST") {
            for (int page = 0; page < pageCount; ++page)
                reply += fields::twoDigits(switchTimes_[tableIndex(area, page)]);
        } else {
            const int page = fields::page(command, 6);
            if (page < 0)
                return commandError;
            for (quint16 code : titles_[tableIndex(area, page)])
                reply += fields::fourHexDigits(code);
        }
        return reply;
    }
    return commandError;
}

// "RFBM" and a character code: "FBM", the code, and its 576-digit bitmap.
QByteArray DeviceModel::glyphRead(QByteArrayView command) const {
    const QByteArray code = command.sliced(4).toByteArray();
    if (command.size() != 8 || !fields::isUpperHex(code))
        return commandError;
    if (switchesAutomatically())
        return refusedWhileSwitching;
    const int value = fields::hexValue(code);
    for (int number = 1; number <= glyphCount; ++number) {
        if (glyphCode(number) == value)
            return "FBM" + code + glyphs_[number - 1];
    }
    return "FBM" + code + characterBitmap(quint16(value));
}

} // namespace sim
