// The glyph file reader. For any file:
// - a read that fails leaves the glyph as it was;
// - a glyph read has 576 upper-case hexadecimal digits, so it can be drawn and sent;
// - what is written of it reads back as the same glyph and is written again byte for byte.

#include "FuzzCheck.h"
#include "document/GlyphFile.h"

#include <QBuffer>
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

bool read(QByteArray bytes, GlyphSample& sample) {
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    return readGlyphFile(file, sample);
}

QByteArray written(const GlyphSample& sample) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    fuzzRequire(writeGlyphFile(file, sample), "a glyph can always be written");
    return file.data();
}

bool isUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GlyphSample start;
    start.fill('7');
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    GlyphSample sample = start;
    if (!read(bytes, sample)) {
        fuzzRequire(sample == start, "a failed read leaves the glyph as it was");
        return 0;
    }
    fuzzRequire(std::all_of(sample.begin(), sample.begin() + glyphDigitCount, isUpperHexDigit),
                "a glyph read holds only upper-case hexadecimal digits");
    // The trailing bytes are taken as they come; one that is white space or NUL may read back
    // otherwise, so the first round trip compares the digits and the second the whole glyph.
    GlyphSample again = start;
    fuzzRequire(read(written(sample), again), "a written glyph reads back");
    fuzzRequire(std::equal(sample.begin(), sample.begin() + glyphDigitCount, again.begin()),
                "a written glyph reads back with the same dots");
    GlyphSample third = start;
    fuzzRequire(read(written(again), third) && written(third) == written(again),
                "a glyph read back is written again byte for byte");
    return 0;
}
