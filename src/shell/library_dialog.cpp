#include "shell/library_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/push_button.h"
#include "shell/qt_front_end.h"

namespace brambex {

namespace {

enum Column { SetColumn, TitleColumn, DiscsColumn, TracksColumn, PlanColumn };

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string Shown(const std::string& relative) {
    return relative.empty() ? "." : relative;
}

}  // namespace

LibraryDialog::LibraryDialog(const std::string& folder, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("libraryDialog"));
    setWindowTitle(QStringLiteral("Merge a library"));
    std::vector<LibraryNote> notes;
    sets_ = FindLibrarySets(folder, &notes);
    // Checked together, so that a folder of thousands of sets is read once, not per set.
    problems_ = CheckLibrarySets(sets_);
    for (std::string& problem : problems_)
        problem = FirstLine(problem);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("librarySetList"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("Set"), QStringLiteral("Title"), QStringLiteral("Discs"),
                            QStringLiteral("Tracks"), QStringLiteral("What happens")});
    for (const LibrarySet& set : sets_) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(SetColumn, Text(Shown(set.relativeFolder)));
        item->setText(TitleColumn, Text(set.title));
        item->setText(DiscsColumn, QString::number(set.discs));
        item->setText(TracksColumn, QString::number(set.tracks));
        item->setTextAlignment(DiscsColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(TracksColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(SetColumn, set.merged ? Qt::Unchecked : Qt::Checked);
    }
    // Sets in a folder the search could not read may be missing: each such folder is a
    // row of its own, with the reason and nothing to check. Links passed over are
    // listed under the table.
    QStringList passedOver;
    for (const LibraryNote& note : notes) {
        const std::string where = Shown(note.relativeFolder);
        if (!note.unreadable) {
            passedOver << Text(where + ": " + note.text);
            continue;
        }
        ++unreadable_;
        auto* item = new QTreeWidgetItem(list_);
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setText(SetColumn, Text(where));
        item->setText(PlanColumn, Text(FirstLine(note.text)));
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setMinimumSize(640, 280);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("librarySummary"));
    auto* notesLabel = new QLabel(passedOver.join(QLatin1Char('\n')), this);
    notesLabel->setObjectName(QStringLiteral("libraryNotes"));
    notesLabel->setTextFormat(Qt::PlainText);
    notesLabel->setWordWrap(true);
    notesLabel->setVisible(!passedOver.isEmpty());
    mergeButton_ = MakePushButton("Merge", "mergeButton", this);
    closeButton_ = MakePushButton("Close", "closeButton", this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary_, 1);
    buttons->addWidget(mergeButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(notesLabel);
    layout->addLayout(buttons);

    connect(list_, &QTreeWidget::itemChanged, this, [this] { ShowPlans(); });
    connect(mergeButton_, &QPushButton::clicked, this, [this] { Merge(); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { reject(); });
    frontEnd_ = std::make_unique<QtFrontEnd>(this, &runner_.Flag());
    connect(&runner_, &MergeRunner::finished, this, [this] { MergeEnded(); });
    ShowPlans();
}

LibraryDialog::~LibraryDialog() = default;

// What a merge would do with each set, as the check boxes stand.
void LibraryDialog::ShowPlans() {
    const QSignalBlocker blocker(list_);
    int checked = 0;
    for (std::size_t i = 0; i < sets_.size(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(i));
        const LibrarySet& set = sets_[i];
        const bool on = item->checkState(SetColumn) == Qt::Checked;
        checked += on ? 1 : 0;
        std::string plan;
        if (!problems_[i].empty())
            plan = (on ? "Will fail: " : "Cannot be merged: ") + problems_[i];
        else if (set.merged)
            plan = on ? "Will be merged again into \"" + set.outputFolder + "\", replacing it"
                      : "Merged already into \"" + set.outputFolder + "\"";
        else if (set.interrupted)
            plan = on ? "Will be merged again into \"" + set.outputFolder +
                            "\", replacing a merge that did not finish"
                      : "The merge into \"" + set.outputFolder + "\" did not finish";
        else
            plan = on ? "Will be merged into \"" + set.outputFolder + "\"" : "Left as it is";
        item->setText(PlanColumn, Text(plan));
    }
    QString summary = QStringLiteral("%1 sets found, %2 checked.").arg(sets_.size()).arg(checked);
    if (unreadable_ > 0)
        summary += QStringLiteral(" %1 could not be read.")
                       .arg(unreadable_ == 1 ? QStringLiteral("1 folder")
                                             : QStringLiteral("%1 folders").arg(unreadable_));
    summary_->setText(summary);
    mergeButton_->setEnabled(checked > 0 && !Merging());
}

void LibraryDialog::Merge() {
    if (Merging())
        return;
    chosen_.clear();
    chosenSets_.clear();
    for (std::size_t i = 0; i < sets_.size(); ++i) {
        if (list_->topLevelItem(static_cast<int>(i))->checkState(SetColumn) == Qt::Checked) {
            chosen_.push_back(i);
            chosenSets_.push_back(sets_[i]);
        }
    }
    if (chosen_.empty())
        return;
    results_.clear();
    mergeButton_->setEnabled(false);
    list_->setEnabled(false);
    runner_.Start([this](const Cancellation& cancel) {
        LibraryMergeSettings settings;
        settings.askOnce = true;
        settings.keepMessages = true;
        // A merged set is checked only to be merged again.
        settings.redo = true;
        results_ = MergeLibrary(chosenSets_, *frontEnd_, cancel, settings);
    });
}

void LibraryDialog::MergeEnded() {
    const QSignalBlocker blocker(list_);
    int merged = 0, failed = 0;
    for (std::size_t n = 0; n < chosen_.size() && n < results_.size(); ++n) {
        const std::size_t i = chosen_[n];
        const LibrarySetResult& result = results_[n];
        QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(i));
        // A set merged, cancelled or stopped halfway is now what its folder holds.
        ReadMergedState(sets_[i]);
        std::string text;
        switch (result.state) {
            case LibrarySetResult::State::Merged:
                ++merged;
                item->setCheckState(SetColumn, Qt::Unchecked);
                text = "Merged into \"" + result.outputFolders.front() + "\"";
                break;
            case LibrarySetResult::State::Failed:
                ++failed;
                text = "Failed: " + FirstLine(result.message);
                break;
            case LibrarySetResult::State::Cancelled:
                text = "Cancelled";
                break;
            case LibrarySetResult::State::NotStarted:
                text = "Not started";
                break;
        }
        item->setText(PlanColumn, Text(text));
    }
    list_->setEnabled(true);
    summary_->setText(QStringLiteral("%1 merged, %2 failed.").arg(merged).arg(failed));
    mergeButton_->setEnabled(true);
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
