// The codec's diagnostics: one line each, by default on the standard error stream. A
// front end that shares that stream with other output (a progress bar, say) installs
// its own sink to place the lines and say which file they concern.
#pragma once

#include <string_view>

namespace brambex {

// Receives one diagnostic line, without a line break; the text lives only for the
// call. Sinks run inside a pass, which allocates nothing itself; the default sink
// keeps it so.
using DiagnosticSink = void (*)(std::string_view line, void* context);

// Sends every later diagnostic line to sink, with context passed along; a null sink
// restores the default (the line and a line break on the standard error stream).
void SetDiagnosticSink(DiagnosticSink sink, void* context);

// Sends the diagnostic lines of the calling thread alone to sink for as long as it
// lives, whatever sink the others use: a pass on a worker thread collects its lines
// this way, to be shown in order with its track.
class ThreadDiagnosticSink {
  public:
    ThreadDiagnosticSink(DiagnosticSink sink, void* context);
    ~ThreadDiagnosticSink();
    ThreadDiagnosticSink(const ThreadDiagnosticSink&) = delete;
    ThreadDiagnosticSink& operator=(const ThreadDiagnosticSink&) = delete;

  private:
    DiagnosticSink savedSink_;
    void* savedContext_;
};

void WriteDiagnostic(std::string_view line);
// The line followed by the text of an errno value.
void WriteDiagnostic(std::string_view line, int error);
// The line followed by a number in decimal; nothing is allocated on the way.
void WriteDiagnosticNumber(std::string_view line, long long number);

}  // namespace brambex
