#include "commands/ReadBackCommands.h"

#include "core/SettingsDocument.h"
#include "protocol/FieldEncoding.h"

namespace {

constexpr int areaSteps = 12;      // steps 1 to 12: times, flags, positions of each area
constexpr int levelSteps = 14;     // steps 13 and 14: edge level, white level
constexpr int pageSteps = 22;      // steps 15 to 22: start-up pages, current pages
constexpr int firstTitleStep = 30; // steps 23 to 29 send nothing

// The fixed block reads each channel's bottom line before its top line.
constexpr int bottomFirst[] = {1, 0, 3, 2};

QByteArray areaRequest(const char* mnemonic, int area) {
    return QByteArray(mnemonic) + '0' + channelDigit(area) + lineLetter(area);
}

} // namespace

QByteArray readBackRequest(int step) {
    QByteArray request;
    if (step >= 1 && step <= areaSteps) {
        static const char* const mnemonics[] = {"RAST", "RCTD", "RCTDPO"};
        request = areaRequest(mnemonics[(step - 1) / 4], bottomFirst[(step - 1) % 4]);
    } else if (step > areaSteps && step <= levelSteps) {
        request = step == levelSteps ? "RCWL" : "RCEL";
    } else if (step > levelSteps && step <= pageSteps) {
        const int index = step - levelSteps - 1;
        request = areaRequest(index < 4 ? "RSUS" : "RP", bottomFirst[index % 4]);
    } else if (step >= firstTitleStep && step <= readBackStepCount) {
        const int title = step - firstTitleStep;
        char page[2];
        twoDigits(title % SettingsDocument::pageCount + 1, page);
        request = areaRequest("RCT", title / SettingsDocument::pageCount) + QByteArray(page, 2);
    }
    return request.isEmpty() ? request : request + "\r\n";
}
