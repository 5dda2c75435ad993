// The codec's diagnostics: one line each on the standard error stream.
#pragma once

#include <string_view>

namespace brambex {

void WriteDiagnostic(std::string_view line);
// The line followed by the text of an errno value.
void WriteDiagnostic(std::string_view line, int error);
// The line followed by a number in decimal; nothing is allocated on the way.
void WriteDiagnosticNumber(std::string_view line, long long number);

}  // namespace brambex
