#include "shell/merge_worker.h"

#include <QEventLoop>
#include <QThread>

#include "options/front_end.h"

namespace brambex {

void CancelAndDeleteWorker(QThread* worker, CancelFlag& cancel, QObject* receiver) {
    cancel.Request();
    QObject::disconnect(worker, nullptr, receiver, nullptr);
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    if (!worker->isFinished())
        loop.exec();
    worker->wait();
    delete worker;
}

}  // namespace brambex
