#include "commands/GlyphCommands.h"

#include "commands/CommandContext.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"
#include "protocol/JisConversion.h"
#include "protocol/MessageBoxes.h"

#include <algorithm>

namespace {

constexpr int firstGlyphCode = 0xBA65;     // registration numbers 1 to 26
constexpr int laterGlyphCodeBase = 0xBB07; // numbers 27 and 28: 0xBB21 and 0xBB22
constexpr int laterGlyphIndex = 26;

bool isDecimal(char character) {
    return character >= '0' && character <= '9';
}

// The registration number 1 to 28 that a text of two decimal digits names, or 0.
int registrationNumberOf(QByteArrayView text) {
    if (text.size() < 2 || !isDecimal(text[0]) || !isDecimal(text[1]))
        return 0;
    const int number = (text[0] - '0') * 10 + (text[1] - '0');
    return number <= glyphRegistrationCount ? number : 0;
}

bool isIbmExtension(int code) {
    return (code >= 0xFA40 && code <= 0xFA49) || (code >= 0xFA55 && code <= 0xFA57) ||
           code >= 0xFA5C;
}

} // namespace

QByteArray glyphRegistrationLine(int registrationNumber, const GlyphSample& sample) {
    QByteArray line("GR00");
    twoDigits(std::clamp(registrationNumber, 0, glyphRegistrationCount - 1) + 1, line.data() + 2);
    line.append(sample.data(), glyphDigitCount);
    line.append("\r\n");
    return line;
}

GlyphReadRequest glyphReadRequest(QByteArrayView sampleText) {
    const int value = sampleText.size() < 2 ? 0
                                            : static_cast<unsigned char>(sampleText[0]) * 256 +
                                                  static_cast<unsigned char>(sampleText[1]);
    int code = fullWidthSpaceJis;
    bool refused = false;
    if (value <= 0x3939) { // up to "99": a registration number or nothing
        const int index = registrationNumberOf(sampleText) - 1;
        if (index < 0)
            refused = true;
        else
            code = index < laterGlyphIndex ? firstGlyphCode + index : laterGlyphCodeBase + index;
    } else {
        code = sjisToJis(isIbmExtension(value) ? ibmToNecSelected(value) : value);
        if (code == 0)
            code = fullWidthSpaceJis;
    }
    QByteArray line("RFBM2121\r\n");
    line.replace(4, 4, QByteArray::number(code, 16).toUpper().rightJustified(4, '0'));
    return {line, refused};
}

QByteArray glyphInsertLine(int glyphNumber, int area, int page, int position) {
    area = std::clamp(area, 0, SettingsDocument::areaCount - 1);
    QByteArray line("G01C01T01I01\r\n");
    twoDigits(std::clamp(glyphNumber, 0, glyphRegistrationCount - 1) + 1, line.data() + 1);
    line[5] = channelDigit(area);
    line[6] = lineLetter(area);
    twoDigits(std::clamp(page, 0, SettingsDocument::pageCount - 1) + 1, line.data() + 7);
    twoDigits(std::clamp(position, 0, titleCharacterCount - 1) + 1, line.data() + 10);
    return line;
}

void registerGlyph(CommandContext& context) {
    context.sender.send(glyphRegistrationLine(context.state.glyphs.glyphRegistrationNumber,
                                              context.state.glyphSample));
}

void readGlyphSample(CommandContext& context) {
    const GlyphReadRequest request = glyphReadRequest(context.state.glyphs.glyphSampleText.view());
    if (!context.sender.isLinkReady()) {
        context.boxes.showStopError(QStringLiteral("Socket が接続されていません"));
        return;
    }
    if (context.sender.exchange().glyphReadPending != 0)
        return;
    if (request.refused) {
        context.boxes.showStopError(QStringLiteral("外字登録番号"));
        return;
    }
    context.sender.setGlyphReadPending(true);
    context.sender.send(request.line);
}

void sendGlyphInsert(CommandContext& context) {
    const AppState& state = context.state;
    context.sender.send(glyphInsertLine(state.glyphs.insertGlyphNumber, state.selectedArea,
                                        state.selectedPage, state.glyphs.insertPosition));
}
