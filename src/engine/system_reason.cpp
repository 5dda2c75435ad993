#include "engine/system_reason.h"

#include <cstring>

namespace brambex {

std::string WithReason(std::string_view text, int error) {
    std::string message(text);
    if (error != 0)
        message += std::string(" (") + std::strerror(error) + ")";
    return message;
}

}  // namespace brambex
