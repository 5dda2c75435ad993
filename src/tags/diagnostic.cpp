#include "tags/diagnostic.h"

#include <charconv>
#include <cstring>

#include "tags/text_encoding.h"

namespace brambex {

namespace {

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

void StreamDiagnostics::Line(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stream_);
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void WriteDiagnostic(DiagnosticSink& sink, std::string_view line) {
    sink.Line(line);
}

void WriteDiagnostic(DiagnosticSink& sink, std::string_view line, std::error_code error) {
    LineBuffer buffer;
    buffer.Append(line);
    buffer.Append(std::strerror(error.value()));
    sink.Line(buffer.Text());
}

void WriteDiagnosticNumber(DiagnosticSink& sink, std::string_view line, long long number) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
    LineBuffer buffer;
    buffer.Append(line);
    buffer.Append(std::string_view(digits, static_cast<std::size_t>(end.ptr - digits)));
    sink.Line(buffer.Text());
}

}  // namespace brambex
