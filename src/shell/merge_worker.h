// The end of a window that may still have a merge running on its worker thread.
#pragma once

class QObject;
class QThread;

namespace brambex {

class CancelFlag;

// Asks the merge to stop, serves the calls the worker is waiting on this thread for
// until it has stopped, and deletes it. The receiver's connections to the worker go
// first, so nothing reaches a window that is being destroyed.
void CancelAndDeleteWorker(QThread* worker, CancelFlag& cancel, QObject* receiver);

}  // namespace brambex
