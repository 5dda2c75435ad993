#include "engine/system_reason.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace brambex {
namespace {

TEST(SystemReason, SaysWhatIsTooLongAndOtherwiseTheSystemsWords) {
    EXPECT_EQ(WithReason("cannot open \"x\"", ENAMETOOLONG),
              "cannot open \"x\" (the path is too long)");
    EXPECT_EQ(WithReason("full", ENOSPC), std::string("full (") + std::strerror(ENOSPC) + ")");
    EXPECT_EQ(WithReason("no reason", 0), "no reason");
}

}  // namespace
}  // namespace brambex
