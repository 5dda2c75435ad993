#include "tags/diagnostic.h"

#include <cstdio>
#include <cstring>

namespace brambex {

void WriteDiagnostic(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void WriteDiagnostic(std::string_view line, int error) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputs(std::strerror(error), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void WriteDiagnosticNumber(std::string_view line, long long number) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fprintf(stderr, "%lld\n", number);
    std::fflush(stderr);
}

}  // namespace brambex
