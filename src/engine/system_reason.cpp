#include "engine/system_reason.h"

#include <cerrno>
#include <cstring>

namespace brambex {

std::string SystemReason(int error) {
    // "File name too long" is also the answer for a whole path over the limit, where no
    // one name is at fault; a name over the limit makes its path too long as well.
    if (error == ENAMETOOLONG)
        return "the path is too long";
    return std::strerror(error);
}

std::string WithReason(std::string_view text, int error) {
    std::string message(text);
    if (error != 0)
        message += " (" + SystemReason(error) + ")";
    return message;
}

}  // namespace brambex
