#include "app/TrafficWindow.h"

#include "app/TrafficModel.h"
#include "app/ViewTexts.h"
#include "core/FileReplacement.h"
#include "core/OperatorPrompts.h"
#include "core/ViewSettings.h"
#include "link/LinkSettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIODevice>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <set>

namespace {

constexpr QSize firstSize{760, 420};

QPushButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* pushButton = new QPushButton(text, parent);
    pushButton->setObjectName(QLatin1String(name));
    pushButton->setAccessibleName(text);
    pushButton->setAutoDefault(false);
    return pushButton;
}

} // namespace

TrafficWindow::TrafficWindow(ViewSettings& view, ProfileFile& settingsFile, CommandSender& sender,
                             OperatorPrompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), view_(view), settingsFile_(settingsFile), prompts_(prompts),
      model_(new TrafficModel(sender, this)), shown_(new QSortFilterProxyModel(this)),
      table_(new QTableView(this)), searchEdit_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("trafficWindow"));
    setWindowTitle(TrafficTexts::windowTitle);

    searchEdit_->setObjectName(QStringLiteral("searchEdit"));
    searchEdit_->setAccessibleName(TrafficTexts::search);
    searchEdit_->setPlaceholderText(TrafficTexts::searchHint);
    searchEdit_->setClearButtonEnabled(true);
    QPushButton* copyButton = button("copyButton", TrafficTexts::copy, this);
    QPushButton* saveButton = button("saveButton", TrafficTexts::save, this);

    shown_->setSourceModel(model_);
    shown_->setFilterKeyColumn(-1);
    shown_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(searchEdit_, &QLineEdit::textChanged, shown_,
            &QSortFilterProxyModel::setFilterFixedString);

    table_->setObjectName(QStringLiteral("trafficTable"));
    table_->setAccessibleName(TrafficTexts::lines);
    table_->setModel(shown_);
    table_->setWordWrap(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Rows of one height, and columns that are not measured: a flood of rows costs no layout.
    QHeaderView* rows = table_->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* columns = table_->horizontalHeader();
    const auto widthOf = [this](const QString& sample) {
        return fontMetrics().horizontalAdvance(sample) + 16;
    };
    columns->resizeSection(TrafficModel::TimeColumn, widthOf(QStringLiteral("00:00:00.000")));
    columns->resizeSection(TrafficModel::DirectionColumn, widthOf(QStringLiteral("送信送")));
    columns->resizeSection(TrafficModel::LinkColumn,
                           widthOf(QStringLiteral("tcp 192.168.100.100:65535")));
    columns->resizeSection(TrafficModel::AddressColumn, widthOf(QStringLiteral("アドレス")));
    columns->setStretchLastSection(true);

    auto* copyAction = new QAction(TrafficTexts::copy, table_);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    table_->addAction(copyAction);
    auto* findAction = new QAction(TrafficTexts::search, this);
    findAction->setShortcut(QKeySequence::Find);
    addAction(findAction);
    connect(findAction, &QAction::triggered, searchEdit_,
            [this] { searchEdit_->setFocus(Qt::ShortcutFocusReason); });
    connect(copyAction, &QAction::triggered, this, &TrafficWindow::copyRows);
    connect(copyButton, &QPushButton::clicked, this, &TrafficWindow::copyRows);
    connect(saveButton, &QPushButton::clicked, this, &TrafficWindow::saveAsText);

    // The newest row stays in sight, unless the operator has scrolled up to read.
    connect(model_, &TrafficModel::batchAboutToBeAdded, this, [this] {
        const QScrollBar* bar = table_->verticalScrollBar();
        followNewest_ = bar->value() == bar->maximum();
    });
    connect(model_, &TrafficModel::batchAdded, this, [this] {
        if (followNewest_)
            table_->scrollToBottom();
    });

    auto* tools = new QHBoxLayout;
    tools->addWidget(searchEdit_, 1);
    tools->addWidget(copyButton);
    tools->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(table_);
}

void TrafficWindow::open() {
    if (!placed_)
        placeWhereItWas();
    placed_ = true;
    model_->startReading();
    show();
    raise();
    activateWindow();
}

void TrafficWindow::closeEvent(QCloseEvent* event) {
    keepPlace();
    model_->stopReading();
    event->accept();
}

// Where it was, as far as a screen still shows it (a screen may have gone since); the first
// time, under the main window.
void TrafficWindow::placeWhereItWas() {
    if (const auto& place = view_.trafficWindowPlace) {
        const QScreen* screen = QGuiApplication::screenAt(place->topLeft() + QPoint(24, 12));
        const QSize room = (screen ? screen : this->screen())->availableGeometry().size();
        resize(place->size().boundedTo(room));
        if (screen != nullptr)
            move(place->topLeft());
        return;
    }
    resize(firstSize.boundedTo(screen()->availableGeometry().size()));
    if (const QWidget* owner = parentWidget())
        move(owner->frameGeometry().bottomLeft() + QPoint(0, 1));
}

void TrafficWindow::keepPlace() {
    const QRect place(pos(), size());
    if (view_.trafficWindowPlace == place)
        return;
    view_.trafficWindowPlace = place;
    writeTrafficWindowPlace(settingsFile_, view_);
}

QStringList TrafficWindow::shownRows() const {
    QStringList rows;
    for (int row = 0; row < shown_->rowCount(); ++row)
        rows << model_->rowText(shown_->mapToSource(shown_->index(row, 0)).row());
    return rows;
}

void TrafficWindow::copyRows() {
    model_->addQueued();
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        QApplication::clipboard()->setText(shownRows().join(QLatin1Char('\n')));
        return;
    }
    std::set<int> rows;
    for (const QModelIndex& index : selected)
        rows.insert(shown_->mapToSource(index).row());
    QStringList texts;
    for (int row : rows)
        texts << model_->rowText(row);
    QApplication::clipboard()->setText(texts.join(QLatin1Char('\n')));
}

void TrafficWindow::saveAsText() {
    model_->addQueued();
    FileDialogRequest dialog;
    dialog.owner = this;
    dialog.mode = FileDialogMode::Save;
    dialog.title = TrafficTexts::saveTitle;
    dialog.filters = {TrafficTexts::saveFilter};
    dialog.directory = QDir::homePath();
    const QString path = prompts_.chooseFile(dialog);
    if (path.isEmpty())
        return;
    const QStringList rows = shownRows();
    QString whyNot;
    const bool saved = replaceFile(
        path,
        [&rows](QIODevice& file) {
            for (const QString& row : rows) {
                if (file.write((row + QLatin1Char('\n')).toUtf8()) < 0)
                    return false;
            }
            return true;
        },
        &whyNot);
    if (!saved)
        prompts_.showMessage({this, QStringLiteral("Error"), TrafficTexts::saveFailed,
                              BoxIcon::Exclamation, BoxBeep::Question, whyNot});
}
