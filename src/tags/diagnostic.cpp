#include "tags/diagnostic.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "tags/text_encoding.h"

namespace brambex {

namespace {

void WriteToStandardError(std::string_view line, void*) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

DiagnosticSink currentSink = WriteToStandardError;
void* currentContext = nullptr;
thread_local DiagnosticSink threadSink = nullptr;
thread_local void* threadContext = nullptr;

void Deliver(std::string_view line) {
    if (threadSink != nullptr) {
        threadSink(line, threadContext);
    } else {
        currentSink(line, currentContext);
    }
}

// A line put together on the stack: the codec reports from inside a pass, which must
// not touch the heap. Anything beyond the buffer is cut on a character boundary.
class LineBuffer {
  public:
    void Append(std::string_view text) {
        const std::string_view fits = CutUtf8(text, sizeof text_ - length_);
        fits.copy(text_ + length_, fits.size());
        length_ += fits.size();
    }
    std::string_view Text() const { return {text_, length_}; }

  private:
    char text_[256];
    std::size_t length_ = 0;
};

}  // namespace

void SetDiagnosticSink(DiagnosticSink sink, void* context) {
    currentSink = sink != nullptr ? sink : WriteToStandardError;
    currentContext = sink != nullptr ? context : nullptr;
}

ThreadDiagnosticSink::ThreadDiagnosticSink(DiagnosticSink sink, void* context)
    : savedSink_(threadSink), savedContext_(threadContext) {
    threadSink = sink;
    threadContext = context;
}

ThreadDiagnosticSink::~ThreadDiagnosticSink() {
    threadSink = savedSink_;
    threadContext = savedContext_;
}

void WriteDiagnostic(std::string_view line) {
    Deliver(line);
}

void WriteDiagnostic(std::string_view line, int error) {
    LineBuffer buffer;
    buffer.Append(line);
    buffer.Append(std::strerror(error));
    Deliver(buffer.Text());
}

void WriteDiagnosticNumber(std::string_view line, long long number) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
    LineBuffer buffer;
    buffer.Append(line);
    buffer.Append(std::string_view(digits, static_cast<std::size_t>(end.ptr - digits)));
    Deliver(buffer.Text());
}

}  // namespace brambex
