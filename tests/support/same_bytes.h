// A byte comparison for tests that names the first difference instead of dumping both
// texts.
#pragma once

#include <cstddef>
#include <string>

#include <gtest/gtest.h>

namespace brambex::testing {

inline ::testing::AssertionResult SameBytes(const std::string& actual,
                                            const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) {
        ++i;
    }
    auto byteAt = [](const std::string& s, std::size_t k) {
        return k < s.size() ? std::to_string(static_cast<unsigned char>(s[k])) : std::string("end");
    };
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " and " << expected.size()
           << ", first difference at offset " << i << ": " << byteAt(actual, i) << " instead of "
           << byteAt(expected, i);
}

}  // namespace brambex::testing
