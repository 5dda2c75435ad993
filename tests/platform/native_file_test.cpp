// The arithmetic of shared blocks: which part of a copy a file system that shares whole
// blocks may share.
#include "platform/native_file.h"

#include <gtest/gtest.h>

namespace brambex::platform::native_file {
namespace {

TEST(NativeFile, WholeBlocksAreAlignedOnBothSidesAndEndWithTheInput) {
    struct Case {
        std::int64_t offset, position, inputSize;
        std::uint64_t n, blockSize, shared;
    };
    const Case cases[] = {
        {0, 0, 10000, 10000, 4096, 8192},
        {4096, 65536, 1 << 20, 10000, 4096, 8192},
        // Never past the input's end, though its last block is there on the disk.
        {0, 0, 10000, 20000, 4096, 8192},
        {8192, 0, 10000, 4096, 4096, 0},
        {12288, 0, 10000, 4096, 4096, 0},
        // Less than a block, or off a boundary on either side.
        {0, 0, 10000, 4095, 4096, 0},
        {100, 0, 10000, 8192, 4096, 0},
        {0, 4097, 10000, 8192, 4096, 0},
        {-4096, 0, 10000, 8192, 4096, 0},
        {0, 0, 10000, 8192, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WholeBlocks(c.offset, c.position, c.inputSize, c.n, c.blockSize), c.shared)
            << c.offset << " " << c.position << " " << c.inputSize << " " << c.n;
    }
}

}  // namespace
}  // namespace brambex::platform::native_file
