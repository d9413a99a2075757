#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

// A text field of a fixed number of bytes, NUL-terminated, as the device protocol, the .dat
// file and the settings file size them. Nothing is ever written beyond the field: an assignment
// that does not fit is cut to capacity() bytes, and callers that must not split a Shift-JIS
// character cut at a character boundary before they assign.
template <std::size_t Size> class FixedText {
    static_assert(Size >= 1);

public:
    FixedText() = default;
    FixedText(QByteArrayView text) { assign(text); }

    static constexpr qsizetype capacity() { return qsizetype(Size) - 1; }

    void assign(QByteArrayView text) {
        const qsizetype length = std::min(text.size(), capacity());
        if (length > 0)
            std::memcpy(bytes_.data(), text.data(), std::size_t(length));
        std::fill(bytes_.begin() + length, bytes_.end(), '\0');
    }

    // Appends one byte; false, with nothing written, when the field is full.
    bool append(char byte) {
        const qsizetype end = length();
        if (end >= capacity())
            return false;
        bytes_[std::size_t(end)] = byte;
        return true;
    }

    void clear() { bytes_.fill('\0'); }

    QByteArrayView view() const { return QByteArrayView(bytes_.data(), length()); }
    QByteArray toByteArray() const { return view().toByteArray(); }
    qsizetype length() const { return qsizetype(std::strlen(bytes_.data())); }
    bool isEmpty() const { return bytes_[0] == '\0'; }
    const char* data() const { return bytes_.data(); }

    friend bool operator==(const FixedText& left, QByteArrayView right) {
        return left.view() == right;
    }

private:
    std::array<char, Size> bytes_{};
};
