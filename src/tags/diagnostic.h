// The codec's diagnostics: one line each, sent to the sink a pass is given. A front end
// places the lines and says which file they concern; a caller that wants none gives
// NoDiagnostics.
#pragma once

#include <cstdio>
#include <string_view>
#include <system_error>

namespace brambex {

// Receives one diagnostic line, without a line break; the text lives only for the
// call. Sinks run inside a pass, which allocates nothing itself.
class DiagnosticSink {
  public:
    virtual ~DiagnosticSink() = default;
    virtual void Line(std::string_view line) = 0;
};

class NoDiagnostics : public DiagnosticSink {
  public:
    void Line(std::string_view) override {}
};

// Writes each line and a line break to a stream, the standard error stream of a tool.
class StreamDiagnostics : public DiagnosticSink {
  public:
    explicit StreamDiagnostics(std::FILE* stream) : stream_(stream) {}
    void Line(std::string_view line) override;

  private:
    std::FILE* stream_;
};

void WriteDiagnostic(DiagnosticSink& sink, std::string_view line);
// Lines put together from parts are cut on a character boundary where they would pass
// 256 bytes; nothing is allocated on the way.
// The line followed by the system's text for the reason (an errno value in the generic
// category, as the file streams give it).
void WriteDiagnostic(DiagnosticSink& sink, std::string_view line, std::error_code error);
// The line followed by a number in decimal.
void WriteDiagnosticNumber(DiagnosticSink& sink, std::string_view line, long long number);

}  // namespace brambex
