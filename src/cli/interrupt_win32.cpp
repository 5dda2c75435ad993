// Ctrl-C and the console's other stop events arrive on a thread of their own, through
// the console's control handler. A closed console window, a logoff or a shutdown count
// as SIGTERM does on POSIX systems, but the system ends the program as soon as the
// handler returns: the handler itself abandons the track being written and ends it,
// between tracks too, so that no temporary file outlives it.
#include <windows.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <string>

#include "cli/interrupt.h"
#include "platform/win32.h"

namespace brambex::cli {

namespace {

std::atomic<int> stopSignal{0};

std::mutex temporaryMutex;
std::wstring temporaryPaths[TemporaryFileSlots];

BOOL WINAPI OnStop(DWORD event) {
    const int signal = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
    int none = 0;
    const bool again = !stopSignal.compare_exchange_strong(none, signal);
    // Held until the end, so that no track starts to be written meanwhile.
    std::lock_guard<std::mutex> lock(temporaryMutex);
    // A first Ctrl-C waits for the merge to notice at its next update.
    if (!again && signal == SIGINT)
        return TRUE;
    // The files are open for writing, and opened so that they can be deleted meanwhile:
    // they go when the process ends.
    for (const std::wstring& path : temporaryPaths) {
        if (!path.empty())
            DeleteFileW(path.c_str());
    }
    constexpr char Text[] = "\nMerge cancelled.\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), Text, sizeof Text - 1, &written, nullptr);
    ExitProcess(static_cast<UINT>(128 + signal));
}

}  // namespace

void IgnoreBrokenPipes() {
    // A closed pipe is a failed write on Windows already.
}

void CatchInterrupts() {
    SetConsoleCtrlHandler(OnStop, TRUE);
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
    std::wstring wide = platform::Widen(path);
    std::lock_guard<std::mutex> lock(temporaryMutex);
    temporaryPaths[slot] = std::move(wide);
}

}  // namespace brambex::cli
