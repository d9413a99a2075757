#pragma once

#include <QLabel>

// A one-line label that asks for the width of its whole text and makes do with less: where it
// gets less, it cuts its text short with "…", and its tooltip holds the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // Sets the text and its tooltip; toolTip, when given, says more than the text.
    void setElidedText(const QString& text, const QString& toolTip = {});

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize sizeFor(const QString& text) const;
};
