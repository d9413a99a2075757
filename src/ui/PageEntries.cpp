#include "ui/PageEntries.h"

#include "commands/TitleText.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/ReplyHandler.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui/TitleWarning.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QKeyEvent>

namespace {

const QString autoEntry = QStringLiteral("AUTO");

QByteArrayView titleBytes(const SettingsDocument& document, int area, int page) {
    return document.titleTexts[SettingsDocument::titleIndex(area, page)].view();
}

} // namespace

QString pageTitle(const SettingsDocument& document, int area, int page) {
    return TitleText(titleBytes(document, area, page)).text();
}

QString pageEntryText(const SettingsDocument& document, int area, int page) {
    const QString title = pageTitle(document, area, page);
    const QString number = QString::number(page + 1);
    return title.isEmpty() ? number : number + QStringLiteral("　") + title;
}

PageChoice::PageChoice(QComboBox& list, DialogContext& context, int area, int selected,
                       Auto withAuto)
    : QObject(&list), list_(list), document_(context.document), area_(area) {
    QStringList entries = numberEntries(SettingsDocument::pageCount); // refresh() adds the titles
    if (withAuto == Auto::With)
        entries.append(autoEntry);
    fillList(list_, entries, selected);
    refresh();
    list_.installEventFilter(this);
    list_.view()->installEventFilter(this);
    connect(&context.sender, &CommandSender::replyInterpreted, this, &PageChoice::refresh);
}

void PageChoice::showArea(int area) {
    area_ = area;
    refresh();
}

void PageChoice::refresh() {
    QFont bold = list_.font();
    bold.setBold(true);
    for (int page = 0; page < SettingsDocument::pageCount; ++page) {
        list_.setItemText(page, pageEntryText(document_, area_, page));
        const QString warning = titleWarning(titleBytes(document_, area_, page));
        const bool marked = !warning.isEmpty();
        list_.setItemData(page, marked ? QVariant(refusedTitleColour) : QVariant(),
                          Qt::ForegroundRole);
        list_.setItemData(page, marked ? QVariant(bold) : QVariant(), Qt::FontRole);
        list_.setItemData(page, marked ? QVariant(warning) : QVariant(), Qt::ToolTipRole);
        list_.setItemData(page, marked ? QVariant(warning) : QVariant(),
                          Qt::AccessibleDescriptionRole);
    }
}

bool PageChoice::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QChar typed = key->text().size() == 1 ? key->text()[0] : QChar();
    const bool plain = (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
    const bool digit = typed >= u'0' && typed <= u'9';
    if (!plain || !(digit || typed.toUpper() == u'A'))
        return false;
    chooseTyped(typed, watched != &list_);
    return true;
}

// Digits typed in quick succession make one number ("1" then "2" is page 12); a number that
// names no page starts again from its last digit.
void PageChoice::chooseTyped(QChar typed, bool fromPopup) {
    int index = -1;
    if (typed.toUpper() == u'A') {
        typed_.clear();
        if (list_.count() > SettingsDocument::pageCount)
            index = SettingsDocument::autoPage;
    } else {
        const bool quick =
            lastTyped_.isValid() && lastTyped_.elapsed() < QApplication::keyboardInputInterval();
        typed_ = quick ? typed_ + typed : QString(typed);
        int number = typed_.toInt();
        if (number > SettingsDocument::pageCount) {
            typed_ = typed;
            number = typed_.toInt();
        }
        index = number - 1;
    }
    lastTyped_.start();
    if (index < 0)
        return;
    if (fromPopup) {
        list_.view()->setCurrentIndex(list_.model()->index(index, list_.modelColumn()));
    } else {
        list_.setCurrentIndex(index);
        emit list_.activated(index);
    }
}
