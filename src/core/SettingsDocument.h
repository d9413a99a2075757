#pragma once

#include "core/FixedText.h"

#include <array>

// Everything the operator prepares for the device's four display areas, with the file it was
// last opened from or saved to. Tables are indexed [area][page], area 0 to 3 (ch.1 Top,
// ch.1 Bottom, ch.2 Top, ch.2 Bottom) and page 0 to 63; titles by area * 64 + page.
struct SettingsDocument {
    static constexpr int areaCount = 4;
    static constexpr int pageCount = 64;
    static constexpr int titleCount = areaCount * pageCount;
    static constexpr int autoPage = 64; // page value that stands for automatic switching
    static constexpr int pathCapacity = 8191;

    using Title = FixedText<30>; // Shift-JIS bytes, at most 29
    template <typename T> using PerPage = std::array<std::array<T, pageCount>, areaCount>;
    using PerArea = std::array<int, areaCount>;

    PerPage<int> titleDisplayOn = filled<int>(1);
    PerPage<int> autoSwitchTimes = filled<int>(2);
    PerArea startupPage{};
    PerArea displayPage{};
    int whiteLevel = 0; // as last reported by the device
    int edgeLevel = 0;
    int reserved1 = 0;
    int reserved2 = 0;
    std::array<Title, titleCount> titleTexts{};
    PerArea displayPosition{7, 7, 7, 7};

    FixedText<pathCapacity + 1> documentPath;
    int documentModified = 0;

    // Levels chosen in the character level dialog; not part of the file.
    int selectedWhiteLevel = 1;
    int selectedEdgeLevel = 1;

    static constexpr int titleIndex(int area, int page) { return area * pageCount + page; }

private:
    template <typename T> static constexpr PerPage<T> filled(T value) {
        PerPage<T> table{};
        for (auto& area : table)
            area.fill(value);
        return table;
    }
};
