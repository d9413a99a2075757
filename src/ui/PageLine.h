#pragma once

#include <QColor>
#include <QLabel>

// One line of a page list: a page's number, its value and its title. A line too long for its
// column is cut short with "…"; the whole line stays the label's text and tooltip. A title that
// cannot be sent or saved is marked as the title editor marks it: red, bold, and the warning in
// the tooltip and the accessible description. A title changed and not yet accepted by the
// device carries a bar in the highlight colour at its left edge.
class PageLine : public QLabel {
    Q_OBJECT
public:
    explicit PageLine(QWidget* parent = nullptr);

    void setLine(const QString& text, const QString& warning, bool changed = false);
    bool isChanged() const { return changed_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor normalText_;
    bool changed_ = false;
};
