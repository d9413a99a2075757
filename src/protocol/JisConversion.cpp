#include "protocol/JisConversion.h"

namespace {
bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}
} // namespace

int sjisToJis(int code) {
    const int hi = code / 256;
    const int lo = code % 256;
    if (!(inRange(hi, 0x81, 0x9F) || inRange(hi, 0xE0, 0xFC)))
        return 0;
    if (!(inRange(lo, 0x40, 0x7E) || inRange(lo, 0x80, 0xFC)))
        return 0;
    const int h = hi < 0xA0 ? hi - 0x81 : hi - 0xC1;
    int jis;
    if (lo >= 0x9F)
        jis = (2 * h + 0x22) * 256 + (lo - 0x7E);
    else if (lo <= 0x7E)
        jis = (2 * h + 0x21) * 256 + (lo - 0x1F);
    else
        jis = (2 * h + 0x21) * 256 + (lo - 0x20);
    if (!inRange(jis, 0x2121, 0x7E7E) || !inRange(jis % 256, 0x21, 0x7E))
        return 0;
    return jis;
}

int ibmToNecSelected(int code) {
    struct Block {
        int first, last, offset;
    };
    static constexpr Block blocks[] = {
        {0xFA40, 0xFA49, 0x0B51}, {0xFA55, 0xFA57, 0x0B5B}, {0xFA5C, 0xFA7E, 0x0D1C},
        {0xFA80, 0xFA9B, 0x0D1D}, {0xFA9C, 0xFAFC, 0x0D1C}, {0xFB40, 0xFB5B, 0x0D5F},
        {0xFB5C, 0xFB7E, 0x0D1C}, {0xFB80, 0xFB9B, 0x0D1D}, {0xFB9C, 0xFBFC, 0x0D1C},
        {0xFC40, 0xFC4B, 0x0D5F},
    };
    for (const Block& block : blocks) {
        if (inRange(code, block.first, block.last))
            return code - block.offset;
    }
    return 0;
}

int titleCharacterToJis(int code) {
    if (inRange(code, 0xFA40, 0xFA49))
        return code - 0x7DCF;
    if (inRange(code, 0xFA55, 0xFA57))
        return code - 0x7DD9;
    if (code >= 0xFA5C)
        code = ibmToNecSelected(code);
    return sjisToJis(code);
}

int jisToSjis(int jis) {
    if (jis > 0x7C7E)
        jis = fullWidthSpaceJis;
    const int hi = jis / 256;
    const int lo = jis % 256;
    if (!inRange(hi, 0x21, 0x7E) || !inRange(lo, 0x21, 0x7E))
        return 0;
    const int lead = (hi - 0x21) / 2 + (hi <= 0x5E ? 0x81 : 0xC1);
    int trail;
    if (hi % 2 != 0)
        trail = lo + (lo <= 0x5F ? 0x1F : 0x20);
    else
        trail = lo + 0x7E;
    return lead * 256 + trail;
}
