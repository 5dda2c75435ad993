#include "shell_win32/gui_thread.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <utility>

namespace brambex::win32 {

namespace {

constexpr UINT RunMessage = WM_APP + 1;
constexpr UINT PostMessageId = WM_APP + 2;

HWND carrier = nullptr;
DWORD guiThreadId = 0;

LRESULT CALLBACK CarrierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == RunMessage) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    if (message == PostMessageId) {
        std::unique_ptr<std::function<void()>> work(
            reinterpret_cast<std::function<void()>*>(lParam));
        (*work)();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void StartGuiThread() {
    if (carrier)
        return;
    guiThreadId = GetCurrentThreadId();
    WNDCLASSW type{};
    type.lpfnWndProc = CarrierProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"BrambexCarrier";
    RegisterClassW(&type);
    carrier = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              type.hInstance, nullptr);
}

void RunOnGuiThread(const std::function<void()>& work) {
    if (!carrier || GetCurrentThreadId() == guiThreadId) {
        work();
        return;
    }
    SendMessageW(carrier, RunMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void PostToGuiThread(std::function<void()> work) {
    auto* queued = new std::function<void()>(std::move(work));
    if (!carrier || !PostMessageW(carrier, PostMessageId, 0, reinterpret_cast<LPARAM>(queued)))
        delete queued;
}

MergeWorker::~MergeWorker() {
    if (!running_)
        return;
    destroying_ = true;
    cancel_.Request();
    // The worker may be waiting for this thread to answer: messages are served until
    // it says it has ended.
    MSG message;
    while (running_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (thread_.joinable())
        thread_.join();
}

bool MergeWorker::Start(std::function<void(const Cancellation&)> work,
                        std::function<void(const std::string& error)> ended) {
    if (running_)
        return false;
    cancel_.Clear();
    running_ = true;
    ended_ = std::move(ended);
    thread_ = std::thread([this, work = std::move(work)] {
        // An error must not end the program from a thread without a handler: it is
        // reported on the window thread.
        std::string error;
        try {
            work(cancel_);
        } catch (const std::exception& e) {
            error = e.what();
            if (error.empty())
                error = "Unknown error";
        } catch (...) {
            error = "Unknown error";
        }
        PostToGuiThread([this, error] { Ended(error); });
    });
    return true;
}

void MergeWorker::Ended(const std::string& error) {
    thread_.join();
    running_ = false;
    if (!destroying_ && ended_)
        ended_(error);
}

}  // namespace brambex::win32
