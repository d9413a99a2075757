#include "settings/TitleDialog.h"

#include "commands/ChangedTitles.h"
#include "commands/TitleCharacters.h"
#include "commands/TitleText.h"
#include "commands/TransferPlans.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "core/ShiftJisText.h"
#include "onair/ChannelView.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "settings/InputMethodSwitch.h"
#include "settings/TitleBox.h"
#include "settings/TitlePreview.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui/PageEntries.h"
#include "ui/PageLine.h"
#include "ui/TitleWarning.h"
#include "ui_TitleDialog.h"

#include <QFontDatabase>

namespace {

constexpr int pageLineCount = 16;
constexpr int pageLinesPerColumn = 8;
constexpr int pageLineColumns = 7 + titleByteLimit + 3; // "Page01=", the title, a margin

// The same fixed pitch as the device's own full-width characters, so that the page list lines
// up. "ＭＳ ゴシック" where it exists; elsewhere a Japanese monospaced font (the ones of Linux are
// double-width for kanji and so do not report a fixed pitch).
QFont titleFont() {
    static const char* const preferred[] = {"ＭＳ ゴシック", "MS Gothic",   "Noto Sans Mono CJK JP",
                                            "IPAGothic",     "IPAゴシック", "TakaoGothic",
                                            "VL Gothic"};
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    QString chosen;
    for (const char* family : preferred) {
        if (japanese.contains(QString::fromUtf8(family))) {
            chosen = QString::fromUtf8(family);
            break;
        }
    }
    for (qsizetype index = 0; chosen.isEmpty() && index < japanese.size(); ++index) {
        if (QFontDatabase::isFixedPitch(japanese[index]))
            chosen = japanese[index];
    }
    QFont font =
        chosen.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont(chosen);
    font.setPointSize(9);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

} // namespace

TitleDialog::TitleDialog(DialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context), form_(std::make_unique<Ui::TitleDialog>()),
      walk_(context, QStringLiteral("walkTimer")) {
    form_->setupUi(this);
    setFont(titleFont());
    beginDialog(*this, context_.state.dialogs);
    box_ = new TitleBox(*form_->titleEdit, *form_->byteCountLabel, *form_->titleProblemLabel,
                        *form_->fullWidthButton);
    preview_ = new onair::ChannelView(form_->previewGroup);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setAccessibleName(QStringLiteral("プレビュー"));
    // Beside the page list, as small as it stays legible; it grows with the dialog.
    preview_->setMinimumSize(preview_->minimumSizeHint());
    preview_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    form_->previewLayout->insertWidget(0, preview_, 1);

    for (int line = 0; line < pageLineCount; ++line) {
        auto* label = new PageLine(form_->pageList);
        label->setObjectName(QStringLiteral("pageLine%1").arg(line + 1));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                               pageLineColumns);
        form_->pageListGrid->addWidget(label, line % pageLinesPerColumn, line / pageLinesPerColumn);
        pageLines_.append(label);
    }

    AppState& state = context_.state;
    fillList(*form_->areaList,
             {QStringLiteral("ch1. Top"), QStringLiteral("ch.1 Bottom"), QStringLiteral("ch.2 Top"),
              QStringLiteral("ch.2 Bottom")},
             state.selectedArea);
    pageChoice_ = new PageChoice(*form_->pageNumberList, context_, state.selectedArea,
                                 state.selectedPage, PageChoice::Auto::Without);
    setUpSlaveAddressList(*form_->slaveAddressList, state.link);
    setConnectionCaption(*this, context_, QStringLiteral("タイトルの設定 "));

    connect(form_->areaList, &QComboBox::activated, this, &TitleDialog::chooseArea);
    connect(form_->pageNumberList, &QComboBox::activated, this, &TitleDialog::choosePage);
    connect(box_, &TitleBox::edited, this, &TitleDialog::takeEdit);
    connect(&context_.sender, &CommandSender::replyInterpreted, this, &TitleDialog::followDocument);
    connect(form_->storeButton, &QPushButton::clicked, this,
            [this] { sendCurrentTitle(TitleStorage::Stored); });
    connect(form_->notMemoryButton, &QPushButton::clicked, this,
            [this] { sendCurrentTitle(TitleStorage::NotStored); });
    connect(form_->storeAllButton, &QPushButton::clicked, this,
            [this] { startWalk(titleWalkPlan(context_, TitleStorage::Stored)); });
    connect(form_->notMemoryAllButton, &QPushButton::clicked, this,
            [this] { startWalk(titleWalkPlan(context_, TitleStorage::NotStored)); });
    connect(form_->sendChangedButton, &QPushButton::clicked, this,
            [this] { startWalk(changedTitlesPlan(context_)); });
    connect(form_->closeButton, &QPushButton::clicked, this, &TitleDialog::reject);
    connect(&walk_, &TransferPacer::stepped, this, &TitleDialog::showWalkProgress);
    connect(&walk_, &TransferPacer::ended, this, &TitleDialog::endWalk);

    loadTitle();
}

TitleDialog::~TitleDialog() = default;

void TitleDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!inputMethodSwitched_) {
        inputMethodSwitched_ = true;
        context_.state.savedImeOpen = switchInputMethodOn(*this);
    }
}

void TitleDialog::reject() {
    if (context_.sender.isRunGoing())
        return;
    storeTitle(box_->bytes());
    if (inputMethodSwitched_)
        restoreInputMethod(*this, context_.state.savedImeOpen);
    done(2);
}

int TitleDialog::currentIndex() const {
    return SettingsDocument::titleIndex(context_.state.selectedArea, context_.state.selectedPage);
}

void TitleDialog::chooseArea(int area) {
    context_.state.selectedArea = area;
    pageChoice_->showArea(area);
    loadTitle();
}

void TitleDialog::choosePage(int page) {
    context_.state.selectedPage = page;
    loadTitle();
}

// Showing a title changes nothing: the document stays unmodified until a title does.
void TitleDialog::loadTitle() {
    box_->load(context_.document.titleTexts[currentIndex()].view());
    showPageList();
    showPreview();
}

bool TitleDialog::storeTitle(const QByteArray& bytes) {
    const qsizetype capacity = SettingsDocument::Title::capacity();
    const QByteArrayView stored =
        QByteArrayView(bytes).first(ShiftJisText::characterBoundary(bytes, capacity));
    SettingsDocument::Title& title = context_.document.titleTexts[currentIndex()];
    if (title.view() == stored)
        return false;
    title.assign(stored);
    return true;
}

void TitleDialog::takeEdit(const QByteArray& bytes) {
    if (!storeTitle(bytes))
        return;
    context_.document.documentModified = 1;
    context_.state.changedTitles.set(std::size_t(currentIndex()));
    pageChoice_->refresh();
    showPageList();
    showPreview();
}

// A reply of the device may have stored titles (a read-back's late answers): the box shows the
// current title as the document now holds it, so that Close does not write the old one back.
void TitleDialog::followDocument() {
    const QByteArrayView stored = context_.document.titleTexts[currentIndex()].view();
    if (stored != box_->bytes())
        box_->load(stored);
    showPageList();
    showPreview();
}

void TitleDialog::showPageList() {
    const int area = context_.state.selectedArea;
    const int block = context_.state.selectedPage / pageLineCount * pageLineCount;
    for (int line = 0; line < pageLineCount; ++line) {
        const int page = block + line;
        const int index = SettingsDocument::titleIndex(area, page);
        const QByteArrayView title = context_.document.titleTexts[index].view();
        // A title that cannot be sent shows before the operator sends all of them.
        pageLines_[line]->setLine(QStringLiteral("Page%1=").arg(page + 1, 2, 10, QLatin1Char('0')) +
                                      pageTitle(context_.document, area, page),
                                  titleWarning(title),
                                  context_.state.changedTitles.test(std::size_t(index)));
    }
    showChangedTitles();
}

void TitleDialog::showChangedTitles() {
    const std::size_t count = context_.state.changedTitles.count();
    const QString text = count == 0 ? QStringLiteral("変更分を設定")
                                    : QStringLiteral("変更分を設定 (%1)").arg(count);
    form_->sendChangedButton->setText(text);
    form_->sendChangedButton->setEnabled(count > 0);
}

void TitleDialog::showPreview() {
    const int area = context_.state.selectedArea;
    const onair::TitleLine line =
        titlePreviewLine(context_.document, area, context_.state.selectedPage);
    preview_->setLine(area % 2, line);
    preview_->setLine(1 - area % 2, onair::TitleLine{});
    const QString state = titlePreviewState(line);
    form_->previewState->setText(state);
    preview_->setAccessibleDescription(state);
}

void TitleDialog::sendCurrentTitle(TitleStorage storage) {
    if (context_.sender.isRunGoing())
        return;
    if (!sendTitle(context_, storage, currentIndex()).isSendable())
        context_.boxes.showError(titleRefusedMessage);
}

void TitleDialog::startWalk(TransferPlan plan) {
    const int steps = int(plan.steps.size());
    if (!walk_.start(std::move(plan)))
        return;
    form_->walkProgressBar->setMaximum(steps);
    form_->closeButton->setEnabled(false);
}

void TitleDialog::showWalkProgress() {
    form_->percentBox->setText(QString::number(walk_.percentage()));
    form_->walkProgressBar->setValue(form_->walkProgressBar->value() + 1);
}

void TitleDialog::endWalk(TransferPacer::Ending ending) {
    form_->closeButton->setEnabled(true);
    if (ending == TransferPacer::Ending::Failed)
        return; // left where the walk stopped
    form_->percentBox->setText(QStringLiteral("  "));
    form_->walkProgressBar->setValue(0);
    // After the walk has ended, so that no tick comes while the operator reads it.
    if (ending == TransferPacer::Ending::Refused)
        context_.boxes.showError(titleRefusedMessage);
}
