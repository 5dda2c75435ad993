// Threads that do a merge's byte work beside the thread that drives it.
#pragma once

#include <functional>
#include <thread>

namespace brambex::platform {

// Starts a thread on which the stop signals (Ctrl-C, SIGTERM, SIGHUP) are never
// handled: they go to the thread that drives the merge, so a handler that removes the
// merge's temporary files never runs while that thread creates or names one.
std::thread StartWorkerThread(std::function<void()> body);

}  // namespace brambex::platform
