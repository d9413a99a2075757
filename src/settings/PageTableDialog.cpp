#include "settings/PageTableDialog.h"

#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/ReplyHandler.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui/PageEntries.h"
#include "ui/PageLine.h"
#include "ui/TitleWarning.h"
#include "ui_PageTableDialog.h"

namespace {
constexpr int pageLinesPerColumn = 8;
// A column always shows this much of a title; a longer one is cut short where the dialog is
// too narrow for it.
const QString shortestTitle = QStringLiteral("ああああああ");
} // namespace

PageTableDialog::PageTableDialog(DialogContext& context, QWidget* parent, const Texts& texts,
                                 const Table& table)
    : QDialog(parent), context_(context), table_(table) {
    Ui::PageTableDialog form;
    form.setupUi(this);
    setWindowTitle(texts.caption);
    beginDialog(*this, context.state.dialogs);

    for (int line = 0; line < pageLineCount; ++line) {
        auto* label = new PageLine(form.pageTable);
        label->setObjectName(QStringLiteral("pageLine%1").arg(line + 1));
        label->setMinimumWidth(
            label->fontMetrics().horizontalAdvance(table.pageLine(SettingsDocument::pageCount, 0) +
                                                   QStringLiteral("　") + shortestTitle) +
            2 * label->frameWidth());
        form.pageTableLayout->addWidget(label, line % pageLinesPerColumn,
                                        line / pageLinesPerColumn);
        pageLines_.append(label);
    }

    form.valueGroup->setTitle(texts.valueTitle);
    form.sameValueGroup->setTitle(texts.sameValueTitle);
    form.valueList->setObjectName(texts.valueListName);
    form.valueList->setAccessibleName(texts.valueTitle);
    form.sameValueList->setObjectName(texts.sameValueListName);
    form.sameValueList->setAccessibleName(texts.sameValueTitle);
    valueList_ = form.valueList;

    // The lists are not editable and only the operator's choice counts, never the filling.
    AppState& state = context.state;
    fillList(*form.areaList,
             {QStringLiteral("ch1. Top"), QStringLiteral("ch.1 Bottom"), QStringLiteral("ch.2 Top"),
              QStringLiteral("ch.2 Bottom")},
             state.selectedArea);
    pageChoice_ = new PageChoice(*form.pageList, context, state.selectedArea, state.selectedPage,
                                 PageChoice::Auto::Without);
    fillList(*form.valueList, table.entries, -1);
    fillList(*form.sameValueList, table.entries, table.sameValueChoice);
    connect(form.areaList, &QComboBox::activated, this, [this, &state](int index) {
        state.selectedArea = index;
        pageChoice_->showArea(index);
        showCurrentPage();
    });
    connect(form.pageList, &QComboBox::activated, this, [this, &state](int index) {
        state.selectedPage = index;
        showCurrentPage();
    });
    connect(form.valueList, &QComboBox::activated, this, [this](int index) {
        currentValue() = index;
        showCurrentPage();
    });
    connect(form.sameValueList, &QComboBox::activated, this, [this, &state](int index) {
        table_.sameValueChoice = index;
        table_.values[state.selectedArea].fill(index);
        showCurrentPage();
    });

    transferProgress_ = form.transferProgress;
    transferProgress_->setRange(0, SettingsDocument::areaCount - 1);
    transferProgress_->setValue(0);
    closeButton_ = form.closeButton;
    transfer_ = new TransferPacer(context, QStringLiteral("transferTimer"), this);
    connect(transfer_, &TransferPacer::stepped, this,
            [this] { transferProgress_->setValue(transferProgress_->value() + 1); });
    connect(transfer_, &TransferPacer::ended, this, &PageTableDialog::endTransfer);
    connect(form.sendButton, &QPushButton::clicked, this, [this] { table_.sendPage(context_); });
    connect(form.sendAllButton, &QPushButton::clicked, this, &PageTableDialog::startTransfer);

    connect(&context.sender, &CommandSender::replyInterpreted, this,
            &PageTableDialog::showCurrentPage);

    setUpSlaveAddressList(*form.slaveAddressList, state.link);
    setConnectionCaption(*this, context, texts.connectionCaption);
    showCurrentPage();
}

void PageTableDialog::reject() {
    if (!transfer_->isRunning())
        done(2);
}

void PageTableDialog::startTransfer() {
    if (transfer_->start(areaPlan(context_, table_.sendArea, table_.transferIntervalMs)))
        closeButton_->setEnabled(false);
}

void PageTableDialog::endTransfer(TransferPacer::Ending ending) {
    closeButton_->setEnabled(true);
    if (ending == TransferPacer::Ending::Completed)
        transferProgress_->setValue(0);
}

int& PageTableDialog::currentValue() {
    return table_.values[context_.state.selectedArea][context_.state.selectedPage];
}

void PageTableDialog::showCurrentPage() {
    valueList_->setCurrentIndex(table_.shownEntry(currentValue()));
    const int area = context_.state.selectedArea;
    const auto& values = table_.values[area];
    const SettingsDocument& document = context_.document;
    const int block = context_.state.selectedPage / pageLineCount * pageLineCount;
    for (int line = 0; line < pageLineCount; ++line) {
        const int page = block + line;
        const QString title = pageTitle(document, area, page);
        pageLines_[line]->setLine(
            table_.pageLine(page + 1, values[page]) +
                (title.isEmpty() ? QString() : QStringLiteral("　") + title),
            titleWarning(document.titleTexts[SettingsDocument::titleIndex(area, page)].view()));
    }
}
