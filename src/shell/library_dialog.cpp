#include "shell/library_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/message_box.h"
#include "shell/push_button.h"
#include "shell/qt_front_end.h"

namespace brambex {

namespace {

enum Column { SetColumn, TitleColumn, DiscsColumn, TracksColumn, PlanColumn };

QString JoinedLines(const std::vector<std::string>& lines) {
    QStringList joined;
    for (const std::string& line : lines)
        joined << ToQString(line);
    return joined.join(QLatin1Char('\n'));
}

}  // namespace

LibraryDialog::LibraryDialog(const std::string& folder, QWidget* parent)
    : QDialog(parent), model_(folder) {
    setObjectName(QStringLiteral("libraryDialog"));
    setWindowTitle(QStringLiteral("Merge a library"));
    MakeList();
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("librarySummary"));
    // The links passed over are listed under the table.
    auto* notes = new QLabel(JoinedLines(model_.PassedOver()), this);
    notes->setObjectName(QStringLiteral("libraryNotes"));
    notes->setTextFormat(Qt::PlainText);
    notes->setWordWrap(true);
    notes->setVisible(!model_.PassedOver().empty());
    mergeButton_ = MakePushButton("&Merge", "mergeButton", this);
    closeButton_ = MakePushButton("&Close", "closeButton", this);
    LayOut(notes);

    connect(list_, &QTreeWidget::itemChanged, this, [this] { CheckChanged(); });
    connect(mergeButton_, &QPushButton::clicked, this, [this] { Merge(); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { reject(); });
    frontEnd_ = std::make_unique<QtFrontEnd>(this, &runner_.Flag());
    connect(&runner_, &MergeRunner::finished, this, [this] { MergeEnded(); });
    Show();
}

LibraryDialog::~LibraryDialog() = default;

void LibraryDialog::MakeList() {
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("librarySetList"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("Set"), QStringLiteral("Title"), QStringLiteral("Discs"),
                            QStringLiteral("Tracks"), QStringLiteral("What happens")});
    for (const LibraryRow& row : model_.Rows()) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(SetColumn, ToQString(row.set));
        item->setText(TitleColumn, ToQString(row.title));
        item->setText(DiscsColumn, ToQString(row.discs));
        item->setText(TracksColumn, ToQString(row.tracks));
        item->setTextAlignment(DiscsColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(TracksColumn, Qt::AlignRight | Qt::AlignVCenter);
        if (row.checkable)
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        else
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setMinimumSize(640, 280);
}

void LibraryDialog::LayOut(QLabel* notes) {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary_, 1);
    buttons->addWidget(mergeButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(notes);
    layout->addLayout(buttons);
}

void LibraryDialog::Show() {
    const QSignalBlocker blocker(list_);
    const std::vector<LibraryRow>& rows = model_.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(i));
        if (rows[i].checkable)
            item->setCheckState(SetColumn, rows[i].checked ? Qt::Checked : Qt::Unchecked);
        item->setText(PlanColumn, ToQString(rows[i].whatHappens));
        // A problem's message is longer than its row: the whole of it in the tooltip.
        item->setToolTip(PlanColumn, ToQString(rows[i].whatHappensInFull));
    }
    list_->setEnabled(!model_.Merging());
    summary_->setText(ToQString(model_.Summary()));
    mergeButton_->setEnabled(model_.MergeEnabled());
}

void LibraryDialog::CheckChanged() {
    const std::vector<LibraryRow>& rows = model_.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool on =
            list_->topLevelItem(static_cast<int>(i))->checkState(SetColumn) == Qt::Checked;
        if (rows[i].checkable && rows[i].checked != on)
            model_.SetChecked(i, on);
    }
    Show();
}

void LibraryDialog::Merge() {
    if (Merging())
        return;
    std::vector<LibrarySet> chosen = model_.StartMerge();
    if (chosen.empty())
        return;
    results_.clear();
    Show();
    runner_.Start([this, chosen = std::move(chosen)](const Cancellation& cancel) {
        LibraryMergeSettings settings;
        settings.askOnce = true;
        settings.keepMessages = true;
        // A merged set is checked only to be merged again.
        settings.redo = true;
        results_ = MergeLibrary(platform::SystemFiles(), chosen, *frontEnd_, cancel, settings);
    });
}

void LibraryDialog::MergeEnded() {
    model_.MergeEnded(results_);
    Show();
    emit mergeEnded();
    if (closeAfterMerge_) {
        closeAfterMerge_ = false;
        QDialog::reject();
    }
}

// Close, Escape and the close box: a running merge is cancelled first, and the dialog
// closes once it has stopped.
void LibraryDialog::reject() {
    if (Merging()) {
        closeAfterMerge_ = true;
        runner_.Cancel();
        return;
    }
    QDialog::reject();
}

}  // namespace brambex
