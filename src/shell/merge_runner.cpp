#include "shell/merge_runner.h"

#include <QEventLoop>
#include <QThread>
#include <exception>

#include "shell/application.h"

namespace brambex {

MergeRunner::MergeRunner(QObject* parent) : QObject(parent) {}

MergeRunner::~MergeRunner() {
    if (!worker_)
        return;
    cancel_.Request();
    QObject::disconnect(worker_, nullptr, this, nullptr);
    // The worker may be waiting for this thread to show a question or a progress
    // window: events are served until it has stopped.
    QEventLoop loop;
    QObject::connect(worker_, &QThread::finished, &loop, &QEventLoop::quit);
    if (!worker_->isFinished())
        loop.exec();
    worker_->wait();
    delete worker_;
}

bool MergeRunner::Start(std::function<void(const Cancellation&)> work) {
    if (worker_)
        return false;
    cancel_.Clear();
    failed_ = false;
    error_.clear();
    worker_ = QThread::create([this, work = std::move(work)] {
        // An error must not end the program from a thread that has no handler: it is
        // kept and reported on the GUI thread.
        try {
            work(cancel_);
        } catch (const std::exception& e) {
            failed_ = true;
            error_ = e.what();
        } catch (...) {
            failed_ = true;
            error_ = "Unknown error";
        }
    });
    connect(worker_, &QThread::finished, this, [this] { WorkerEnded(); });
    worker_->start();
    return true;
}

void MergeRunner::WorkerEnded() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    if (failed_) {
        if (Application* app = Application::Instance())
            app->ReportUnhandled(error_);
    }
    emit finished();
}

}  // namespace brambex
