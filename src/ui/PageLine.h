#pragma once

#include <QColor>
#include <QLabel>

// One line of a page list: a page's number, its value and its title. A line too long for its
// column is cut short with "…"; the whole line stays the label's text and tooltip. A title that
// cannot be sent or saved is marked as the title editor marks it: red, bold, and the warning in
// the tooltip and the accessible description.
class PageLine : public QLabel {
    Q_OBJECT
public:
    explicit PageLine(QWidget* parent = nullptr);

    void setLine(const QString& text, const QString& warning);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor normalText_;
};
