#include "engine/system_reason.h"
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace brambex {
namespace {

TEST(SystemReason, SaysWhatIsTooLongAndOtherwiseTheSystemsWords) {
    EXPECT_EQ(WithReason("cannot open \"x\"", std::make_error_code(std::errc::filename_too_long)),
              "cannot open \"x\" (the path is too long)");
    EXPECT_EQ(WithReason("full", std::make_error_code(std::errc::no_space_on_device)),
              std::string("full (") + std::strerror(ENOSPC) + ")");
    EXPECT_EQ(WithReason("no reason", std::error_code()), "no reason");
    EXPECT_EQ(WithReason("a pipe", platform::NotARegularFile()), "a pipe (not a regular file)");
}

}  // namespace
}  // namespace brambex
