#include "engine/system_reason.h"

#include <cstring>

namespace brambex {

std::string SystemReason(std::error_code error) {
    // "File name too long" is also the answer for a whole path over the limit, where no
    // one name is at fault; a name over the limit makes its path too long as well.
    if (error == std::errc::filename_too_long)
        return "the path is too long";
    // The C library's text, as the system's own tools word it.
    if (error.category() == std::generic_category())
        return std::strerror(error.value());
    return error.message();
}

std::string WithReason(std::string_view text, std::error_code error) {
    std::string message(text);
    if (error)
        message += " (" + SystemReason(error) + ")";
    return message;
}

}  // namespace brambex
