#include "cli/interrupt.h"

#include <signal.h>

namespace brambex::cli {

namespace {

volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART, so a question waiting for its answer returns at Ctrl-C; the
    // handler is reset after the first signal, so a second Ctrl-C ends the program.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() {
    return interrupted != 0;
}

void RequestInterrupt() {
    interrupted = 1;
}

}  // namespace brambex::cli
