#pragma once

#include <QFrame>
#include <array>
#include <cstdint>

class QLineEdit;

// An IPv4 address entry of four fields of 0 to 255 separated by dots. A field left empty reads
// as 0. Typing a third digit, a dot or a blank moves on to the next field; Backspace in an
// empty field and the arrow keys at a field's edge move between fields.
class IpAddressEdit : public QFrame {
    Q_OBJECT
public:
    using Octets = std::array<std::uint8_t, 4>; // octet 0 is the leftmost

    explicit IpAddressEdit(QWidget* parent = nullptr);

    Octets address() const;
    void setAddress(const Octets& octets);
    // Every field empty, which reads as 0.0.0.0.
    void clear();

    QLineEdit* field(int index) const { return fields_[std::size_t(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void moveTo(int index, bool atEnd);

    std::array<QLineEdit*, 4> fields_{};
};
