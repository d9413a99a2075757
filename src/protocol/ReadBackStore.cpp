#include "protocol/ReadBackStore.h"

#include <algorithm>

namespace {

template <typename... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
// Spelled out for compilers without deduction for aggregates (clang 14).
template <typename... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace

void storeReadBack(const ReadBackRecord& record, SettingsDocument& document,
                   GlyphSample& glyphSample) {
    std::visit(
        Overloaded{
            [](std::monostate) {},
            [&](const SwitchTimesRecord& r) { document.autoSwitchTimes[r.area] = r.times; },
            [&](const DisplayPositionRecord& r) { document.displayPosition[r.area] = r.position; },
            [&](const DisplayFlagsRecord& r) { document.titleDisplayOn[r.area] = r.shown; },
            [&](const EdgeLevelRecord& r) { document.edgeLevel = r.level; },
            [&](const WhiteLevelRecord& r) { document.whiteLevel = r.level; },
            [&](const StartupPageRecord& r) { document.startupPage[r.area] = r.page; },
            [&](const DisplayPageRecord& r) { document.displayPage[r.area] = r.page; },
            [&](const TitleRecord& r) {
                document.titleTexts[SettingsDocument::titleIndex(r.area, r.page)].assign(r.text);
            },
            [&](const GlyphRecord& r) {
                std::copy(r.digits.begin(), r.digits.end(), glyphSample.begin());
            },
        },
        record);
}
