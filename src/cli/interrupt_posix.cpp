#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace brambex::cli {

namespace {

volatile sig_atomic_t stopSignal = 0;

// The handler may only use what is safe in a signal handler: fixed buffers, unlink,
// write and _exit. A buffer is changed only while its slot is marked unknown, so a
// handler on the thread that changes it never reads it half changed. The merge's
// worker threads keep these signals blocked; should another thread take one, the
// handler may read a path half changed, which can only name a temporary file of this
// merge (a slot's paths differ in their output folder alone), or none.
char temporaryPaths[TemporaryFileSlots][4096];
volatile sig_atomic_t temporaryKnown[TemporaryFileSlots] = {};

bool AnyTemporaryKnown() {
    for (const volatile sig_atomic_t& known : temporaryKnown) {
        if (known)
            return true;
    }
    return false;
}

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnStop(int signal) {
    const bool again = stopSignal != 0;
    if (!again)
        stopSignal = signal;
    // The first stop between tracks, and a first Ctrl-C at any time, wait for the merge
    // to notice at its next update.
    if (!again && (signal == SIGINT || !AnyTemporaryKnown()))
        return;
    for (int slot = 0; slot < TemporaryFileSlots; ++slot) {
        if (temporaryKnown[slot])
            unlink(temporaryPaths[slot]);
    }
    constexpr char Text[] = "\nMerge cancelled.\n";
    ssize_t ignored = write(STDERR_FILENO, Text, sizeof Text - 1);
    (void)ignored;
    _exit(128 + signal);
}

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

void SetTemporaryFile(std::string_view path, int slot) {
    if (slot < 0 || slot >= TemporaryFileSlots)
        return;
    temporaryKnown[slot] = 0;
    if (path.empty() || path.size() >= sizeof temporaryPaths[slot])
        return;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(temporaryPaths[slot], path.data(), path.size());
    temporaryPaths[slot][path.size()] = '\0';
    std::atomic_signal_fence(std::memory_order_seq_cst);
    temporaryKnown[slot] = 1;
}

}  // namespace brambex::cli
