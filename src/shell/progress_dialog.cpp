#include "shell/progress_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <string>

#include "shell/message_box.h"

namespace brambex {

ProgressDialog::ProgressDialog(QWidget* parent, std::string_view initialMessage, int total,
                               CancelFlag* cancel, std::string_view caption, bool showCancel)
    : QDialog(parent), cancel_(cancel), model_(total) {
    setObjectName(QStringLiteral("progressDialog"));
    setAccessibleName(QStringLiteral("Merge progress"));
    setModal(false);
    messageLine_ = new QLabel(ToQString(initialMessage), this);
    messageLine_->setObjectName(QStringLiteral("messageLine"));
    messageLine_->setAlignment(Qt::AlignCenter);
    messageLine_->setTextFormat(Qt::PlainText);
    messageLine_->setMinimumWidth(360);
    countLine_ = new QLabel(this);
    countLine_->setObjectName(QStringLiteral("countLine"));
    countLine_->setAlignment(Qt::AlignCenter);
    countLine_->setTextFormat(Qt::PlainText);
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("gauge"));
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->setFormat(QStringLiteral("%p%"));
    gauge_->setTextVisible(true);
    gauge_->setAlignment(Qt::AlignCenter);
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton_->setAccessibleName(QStringLiteral("Cancel"));
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setAutoDefault(false);
    cancelButton_->setVisible(showCancel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageLine_);
    layout->addWidget(countLine_);
    layout->addWidget(gauge_);
    layout->addLayout(buttons);

    if (!caption.empty())
        setWindowTitle(ToQString(caption));
    ShowCount();
    connect(cancelButton_, &QPushButton::clicked, this, [this] { Cancel(); });
    if (cancel_)
        cancel_->Clear();
}

void ProgressDialog::Create() {
    show();
    shown_.start();
}

void ProgressDialog::Finish() {
    QTimer::singleShot(RemainingShowMs(), this, [this] {
        // The close box's question owns a loop of its own: the window goes once it is
        // answered.
        if (asking_) {
            finishPending_ = true;
            return;
        }
        hide();
        deleteLater();
    });
}

void ProgressDialog::SetTitle(std::string_view caption) {
    setWindowTitle(ToQString(caption));
}

void ProgressDialog::SetMessage(std::string_view text) {
    messageLine_->setText(ToQString(text));
}

void ProgressDialog::SetProgress(int done) {
    // The bar changes only when the whole percentage grows: at most 100 redraws.
    if (model_.SetDone(done))
        gauge_->setValue(model_.Percent());
    ShowCount();
}

void ProgressDialog::SetBytes(std::int64_t done, std::int64_t total) {
    const double seconds = shown_.isValid() ? static_cast<double>(shown_.elapsed()) / 1000.0 : 0.0;
    model_.SetBytes(done, total, seconds);
    ShowCount();
}

void ProgressDialog::ShowCount() {
    countLine_->setText(ToQString(model_.CountLine()));
}

void ProgressDialog::Cancel() {
    if (cancel_)
        cancel_->Request();
}

// Esc: the same as Cancel; the window stays until the merge has stopped.
void ProgressDialog::reject() {
    Cancel();
}

// The close box is Cancel, asked first while tracks remain to be written; the window
// stays until the merge has stopped.
void ProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    const std::string question = model_.CloseQuestion();
    if (question.empty()) {
        Cancel();
        return;
    }
    if (asking_)
        return;
    asking_ = true;
    const Answer answer =
        AskYesNo(this, question, "Cancel merge", MessageKind::Question, Answer::No);
    asking_ = false;
    if (answer == Answer::Yes)
        Cancel();
    if (finishPending_) {
        hide();
        deleteLater();
    }
}

int ProgressDialog::RemainingShowMs() const {
    if (!shown_.isValid())
        return 0;
    qint64 left = MinimumShowMs - shown_.elapsed();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace brambex
