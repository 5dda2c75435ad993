// A range of a file looked at in place, and a look that the file no longer backs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_stream.h"
#include "platform/mapped_file.h"
#include "support/temp_tree.h"

namespace brambex::testing {
namespace {

struct Look {
    const unsigned char* at;
    unsigned char seen;
};

void LookAt(void* context) {
    auto* look = static_cast<Look*>(context);
    look->seen = *look->at;
}

TEST(MappedFile, ShowsARangeThatStartsWithinAPage) {
    TempTree folder;
    std::string bytes(3 * 4096, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    InputFile in;
    ASSERT_TRUE(in.Open(folder.File("track.mp3", bytes)));
    platform::MappedFile mapped;
    ASSERT_TRUE(mapped.Map(in.NativeHandle(), 5000, 4000));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped.Data()), 4000),
              bytes.substr(5000, 4000));
}

// A file cut short under its mapping: a look past its new end is a failed read, the
// looks before it still see the file, and a fault outside ReadMapped still ends the
// program as it would without it.
TEST(MappedFile, ALookPastTheEndOfAFileCutShortFails) {
    TempTree folder;
    const std::string path = folder.File("track.mp3", std::string(3 * 4096, 'x'));
    InputFile in;
    ASSERT_TRUE(in.Open(path));
    platform::MappedFile mapped;
    ASSERT_TRUE(mapped.Map(in.NativeHandle(), 0, 3 * 4096));
    std::filesystem::resize_file(FsPath(path), 100);
    Look past{mapped.Data() + 2 * 4096, 0}, within{mapped.Data() + 10, 0};
    EXPECT_FALSE(platform::ReadMapped(LookAt, &past));
    EXPECT_TRUE(platform::ReadMapped(LookAt, &within));
    EXPECT_EQ(within.seen, 'x');
    EXPECT_FALSE(platform::ReadMapped(LookAt, &past));
    EXPECT_DEATH(LookAt(&past), "");
}

}  // namespace
}  // namespace brambex::testing
