#include "platform/worker_thread.h"

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#endif

namespace brambex::platform {

std::thread StartWorkerThread(std::function<void()> body) {
#ifdef _WIN32
    return std::thread(std::move(body));
#else
    // A new thread starts with the signal mask of the thread that made it.
    sigset_t stop, saved;
    sigemptyset(&stop);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stop, signal);
    pthread_sigmask(SIG_BLOCK, &stop, &saved);
    std::thread worker(std::move(body));
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return worker;
#endif
}

}  // namespace brambex::platform
