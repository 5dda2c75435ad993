#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace brambex::cli {

namespace {

volatile sig_atomic_t stopSignal = 0;

// The handler may only use what is safe in a signal handler: a fixed buffer, unlink,
// write and _exit. The buffer is changed only while the signals are blocked.
char temporaryPath[4096];
volatile sig_atomic_t temporaryKnown = 0;

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnStop(int signal) {
    const bool again = stopSignal != 0;
    if (!again)
        stopSignal = signal;
    // The first stop between tracks, and a first Ctrl-C at any time, wait for the merge
    // to notice at its next update.
    if (!again && (signal == SIGINT || !temporaryKnown))
        return;
    if (temporaryKnown)
        unlink(temporaryPath);
    constexpr char Text[] = "\nMerge cancelled.\n";
    ssize_t ignored = write(STDERR_FILENO, Text, sizeof Text - 1);
    (void)ignored;
    _exit(128 + signal);
}

class SignalsBlocked {
  public:
    SignalsBlocked() {
        sigset_t block;
        sigemptyset(&block);
        for (int signal : StopSignals)
            sigaddset(&block, signal);
        sigprocmask(SIG_BLOCK, &block, &saved_);
    }
    ~SignalsBlocked() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

  private:
    sigset_t saved_{};
};

}  // namespace

void IgnoreBrokenPipes() {
    signal(SIGPIPE, SIG_IGN);
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    for (int signal : StopSignals)
        sigaddset(&action.sa_mask, signal);
    // No SA_RESTART, so a question waiting for its answer returns at the signal.
    action.sa_flags = 0;
    for (int signal : StopSignals)
        sigaction(signal, &action, nullptr);
}

bool InterruptRequested() {
    return stopSignal != 0;
}

int InterruptSignal() {
    return stopSignal;
}

void RequestInterrupt() {
    stopSignal = SIGINT;
}

void SetTemporaryFile(std::string_view path) {
    SignalsBlocked blocked;
    if (path.empty() || path.size() >= sizeof temporaryPath) {
        temporaryKnown = 0;
        return;
    }
    std::memcpy(temporaryPath, path.data(), path.size());
    temporaryPath[path.size()] = '\0';
    temporaryKnown = 1;
}

}  // namespace brambex::cli
