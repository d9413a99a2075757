#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QComboBox;
struct DialogContext;
struct SettingsDocument;

// How every page list and page choice names a page: by its number and the title it holds, so
// that the operator finds "大阪　くもり時々雨" without remembering that it is page 3 of ch.1 Top.

// The title of a page as the operator reads it; "" for a page without one.
QString pageTitle(const SettingsDocument& document, int area, int page);

// "3　大阪　くもり時々雨": the page number (1 to 64), a full-width space and the title; "3" for
// a page without a title.
QString pageEntryText(const SettingsDocument& document, int area, int page);

// A page choice (a drop-down list) of one display area: its 64 pages as pageEntryText, a title
// that cannot be sent or saved marked as the title editor marks it, and "AUTO" as entry 64 where
// the choice has it; the index is the page value. Typing a page number or "A" chooses that entry
// as choosing it from the list would. The entries follow the document: after every reply the
// device sends (a read-back stores titles) and whenever the dialog says a title changed.
class PageChoice : public QObject {
    Q_OBJECT
public:
    enum class Auto { Without, With };

    PageChoice(QComboBox& list, DialogContext& context, int area, int selected, Auto withAuto);

    // Shows the pages of another area; the chosen entry stays.
    void showArea(int area);
    // Reads the titles again.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseTyped(QChar typed, bool fromPopup);

    QComboBox& list_;
    const SettingsDocument& document_;
    int area_;
    QString typed_; // the digits typed so far, while they come in quick succession
    QElapsedTimer lastTyped_;
};
