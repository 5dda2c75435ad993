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

}  // namespace brambex
