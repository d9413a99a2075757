#pragma once

#include "commands/TitleText.h"

#include <QColor>
#include <QObject>

class QAbstractButton;
class QLabel;
class QLineEdit;

// The title box of the title editor with its helpers for the operator: how many of the 28 bytes
// the title uses; which character cannot be sent and why, and whether the file can hold the
// title; and, where the characters that cannot be sent have full-width forms, "全角に変換",
// which puts those in their place. All of it follows the box as the operator types. The box
// takes at most 28 Shift-JIS bytes (bytes, not characters) and no character without a Shift-JIS
// form; a longer title loaded from a file is shown whole.
class TitleBox : public QObject {
    Q_OBJECT
public:
    TitleBox(QLineEdit& edit, QLabel& byteCount, QLabel& problem, QAbstractButton& toFullWidth);

    // Shows a title of the document. Not an edit: nothing is reported.
    void load(QByteArrayView bytes);

    QByteArray bytes() const { return title_.bytes(); }

signals:
    // The operator changed the title; these are its bytes now.
    void edited(const QByteArray& bytes);

private:
    class Limit;

    void onTextEdited(const QString& text);
    void onInputRejected();
    void convertToFullWidth();
    void showMarks();

    QLineEdit& edit_;
    QLabel& byteCount_;
    QLabel& problem_;
    QAbstractButton& toFullWidth_;
    TitleText title_;
    Limit* limit_;
    QColor normalText_;
};
