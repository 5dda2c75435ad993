#include "shell/qt_front_end.h"

#include <QPointer>
#include <QThread>
#include <string>
#include <type_traits>
#include <utility>

#include "app/main_window_model.h"

#include "shell/merge_options_dialog.h"
#include "shell/message_box.h"
#include "shell/progress_dialog.h"

namespace brambex {

namespace {

// Runs work on the thread of context and returns its result: at once on that thread,
// else waiting for the GUI thread to carry it out.
template <typename Work>
auto OnThreadOf(QObject* context, Work work) -> decltype(work()) {
    if (!context || QThread::currentThread() == context->thread())
        return work();
    if constexpr (std::is_void_v<decltype(work())>) {
        QMetaObject::invokeMethod(context, work, Qt::BlockingQueuedConnection);
    } else {
        decltype(work()) result{};
        QMetaObject::invokeMethod(
            context, [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

// Runs work on the thread of context without waiting; dropped when the object is gone.
template <typename Work>
void Later(QObject* context, Work work) {
    if (QThread::currentThread() == context->thread())
        work();
    else
        QMetaObject::invokeMethod(context, work, Qt::QueuedConnection);
}

// The engine's handle on the progress window, usable from the merge's thread. The
// window itself lives on the GUI thread and goes when the merge lets the handle go.
class ProgressHandle : public ProgressWindow {
  public:
    explicit ProgressHandle(ProgressDialog* dialog) : dialog_(dialog) {}
    ~ProgressHandle() override {
        QPointer<ProgressDialog> dialog = dialog_;
        if (dialog)
            Later(dialog, [dialog] {
                if (dialog)
                    dialog->Finish();
            });
    }
    void SetTitle(std::string_view caption) override {
        Update([text = std::string(caption)](ProgressDialog& d) { d.SetTitle(text); });
    }
    void SetMessage(std::string_view text) override {
        Update([line = std::string(text)](ProgressDialog& d) { d.SetMessage(line); });
    }
    void SetProgress(int done) override {
        Update([done](ProgressDialog& d) { d.SetProgress(done); });
    }
    void SetBytes(std::int64_t done, std::int64_t total) override {
        Update([done, total](ProgressDialog& d) { d.SetBytes(done, total); });
    }

  private:
    template <typename Change>
    void Update(Change change) {
        QPointer<ProgressDialog> dialog = dialog_;
        if (!dialog)
            return;
        Later(dialog, [dialog, change] {
            if (dialog)
                change(*dialog);
        });
    }

    QPointer<ProgressDialog> dialog_;
};

}  // namespace

QtFrontEnd::QtFrontEnd(QWidget* owner, CancelFlag* cancel) : owner_(owner), cancel_(cancel) {}

void QtFrontEnd::SetWindowModel(MainWindowModel* window, std::function<void()> changed) {
    window_ = window;
    changed_ = std::move(changed);
}

template <typename Change>
void QtFrontEnd::ChangeWindow(Change change) {
    OnThreadOf(owner_, [&] {
        change(*window_);
        if (changed_)
            changed_();
    });
}

void QtFrontEnd::ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                             MessageKind style) {
    OnThreadOf(owner_, [&] { ShowMessageBox(owner_, text, caption, style); });
}

Answer QtFrontEnd::Ask(std::string_view text, std::optional<std::string_view> caption) {
    return OnThreadOf(
        owner_, [&] { return AskYesNo(owner_, text, caption, MessageKind::Question, Answer::No); });
}

void QtFrontEnd::ShowStatus(std::string_view text) {
    if (!window_) {
        ShowMessage(text, NoCaption, MessageKind::Information);
        return;
    }
    ChangeWindow([&](MainWindowModel& window) { window.ShowStatus(text); });
}

bool QtFrontEnd::RunMergeOptions(MergeOptionsForm& form) {
    return OnThreadOf(owner_, [&] {
        MergeOptionsDialog dialog(owner_, form);
        return dialog.exec() == QDialog::Accepted;
    });
}

std::unique_ptr<ProgressWindow> QtFrontEnd::OpenProgress(std::string_view caption,
                                                         std::string_view initialMessage,
                                                         int total) {
    ProgressDialog* dialog = OnThreadOf(owner_, [&] {
        // The main window shows what its model says of the merge (the folder list's
        // caption) before the progress window covers it.
        if (window_ && changed_)
            changed_();
        auto* window = new ProgressDialog(owner_, initialMessage, total, cancel_, caption, true);
        window->Create();
        return window;
    });
    return std::make_unique<ProgressHandle>(dialog);
}

}  // namespace brambex
