// File streams against real files: the in-kernel copy, its fallback, and failures.
#include "platform/file_stream.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "support/same_bytes.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex::testing {
namespace {

class FileStreamTest : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = NewTempFolder("brambex-streams-"); }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& name) const {
        std::ifstream file(Path(name), std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

    std::string dir_;
};

TEST_F(FileStreamTest, CopyBytesCopiesFromThePositionOn) {
    const std::string data = Audio(3 * 1024 * 1024 + 17);
    WriteFile("in", data);
    InputFile in;
    ASSERT_TRUE(in.Open(Path("in")));
    EXPECT_EQ(in.Size(), static_cast<std::int64_t>(data.size()));
    OutputFile out;
    ASSERT_TRUE(out.Create(Path("out")));
    out.Write("head", 4);
    ASSERT_TRUE(in.Seek(100));
    EXPECT_EQ(CopyBytes(in, out, 2'000'000), 2'000'000u);
    EXPECT_EQ(in.Position(), 2'000'100);
    // Asking for more than is left copies the rest and reports the short count.
    EXPECT_EQ(CopyBytes(in, out, 10'000'000), data.size() - 2'000'100);
    EXPECT_TRUE(in.Failed());
    out.Write("tail", 4);
    ASSERT_TRUE(out.Close());
    EXPECT_TRUE(SameBytes(ReadFile("out"), "head" + data.substr(100) + "tail"));
}

TEST_F(FileStreamTest, CopyIntoAnEmptyOutputAndConcurrentCopies) {
    // An empty output takes the in-kernel copy; copies on other threads at the same time
    // must not share a buffer.
    const std::string data = Audio(5 * 1024 * 1024 + 3);
    WriteFile("in", data);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            InputFile in;
            OutputFile out;
            ASSERT_TRUE(in.Open(Path("in")));
            ASSERT_TRUE(out.Create(Path("out" + std::to_string(t))));
            if (t > 0) {
                out.Write("x", 1);
            }
            EXPECT_EQ(CopyBytes(in, out, data.size()), data.size());
            EXPECT_TRUE(out.Close());
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_TRUE(SameBytes(ReadFile("out0"), data));
    for (int t = 1; t < 4; ++t) {
        EXPECT_TRUE(SameBytes(ReadFile("out" + std::to_string(t)), "x" + data)) << t;
    }
}

TEST_F(FileStreamTest, CopiesLandRightWhereverTheOutputStands) {
    // Up to the output's next 64 KiB boundary the bytes are gathered behind what stands
    // before, or copied by the kernel where they do not fit; from the boundary on the
    // kernel copies. What stands before may be gathered or already written.
    const std::string data = Audio(300 * 1024 + 5);
    WriteFile("in", data);
    const std::size_t heads[] = {0, 1, 9000, 16 * 1024 + 1, 65535, 65536, 65537, 70000};
    const std::size_t counts[] = {1, 1000, 65536, 65537, 200 * 1024, 300 * 1024};
    for (const std::size_t head : heads) {
        for (const std::size_t count : counts) {
            InputFile in;
            OutputFile out;
            ASSERT_TRUE(in.Open(Path("in")));
            ASSERT_TRUE(out.Create(Path("out")));
            const std::string before = data.substr(0, head);
            out.Write(before.data(), before.size());
            ASSERT_TRUE(in.Seek(3));
            EXPECT_EQ(CopyBytes(in, out, count), count) << head << " " << count;
            out.Write("tail", 4);
            ASSERT_TRUE(out.Close());
            EXPECT_TRUE(SameBytes(ReadFile("out"), before + data.substr(3, count) + "tail"))
                << head << " " << count;
        }
    }
    // An input that ends before the boundary is a short count, in the kernel or not.
    WriteFile("short", data.substr(0, 1000));
    InputFile in;
    OutputFile out;
    ASSERT_TRUE(in.Open(Path("short")));
    ASSERT_TRUE(out.Create(Path("out")));
    out.Write("x", 1);
    EXPECT_EQ(CopyBytes(in, out, 5000), 1000u);
    EXPECT_TRUE(in.Failed());
    ASSERT_TRUE(out.Close());
    EXPECT_TRUE(SameBytes(ReadFile("out"), "x" + data.substr(0, 1000)));
}

// Other file systems, file-size limits and /dev/full as these tests use them are
// Linux's.
#ifndef _WIN32
// Where copy_file_range cannot copy between two files (EXDEV between two file
// systems), sendfile or the block copy must give the same bytes and the same failures.
// The input lies on a tmpfs when one is at hand and the output beside the test's folder.
class CopyAcrossFileSystemsTest : public FileStreamTest {
  protected:
    void SetUp() override {
        FileStreamTest::SetUp();
        struct statfs shm, here;
        if (statfs("/dev/shm", &shm) != 0 || statfs(dir_.c_str(), &here) != 0 ||
            shm.f_type == here.f_type) {
            GTEST_SKIP() << "no tmpfs at /dev/shm beside another file system for " << dir_;
        }
        char pattern[] = "/dev/shm/brambex-streams-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            GTEST_SKIP() << "/dev/shm is not writable";
        }
        shm_ = pattern;
    }
    void TearDown() override {
        if (!shm_.empty()) {
            std::system(("rm -rf '" + shm_ + "'").c_str());
        }
        FileStreamTest::TearDown();
    }

    std::string shm_;
};

TEST_F(CopyAcrossFileSystemsTest, CopiesTheSameBytesAndReportsAnEarlyEnd) {
    const std::string data = Audio(3 * 1024 * 1024 + 17);
    const std::string inPath = shm_ + "/in";
    std::ofstream(inPath, std::ios::binary) << data;
    // The case this test is for: the kernel refuses the direct copy.
    const int probeIn = open(inPath.c_str(), O_RDONLY);
    const int probeOut = open(Path("probe").c_str(), O_WRONLY | O_CREAT, 0600);
    loff_t offset = 0;
    const ssize_t probed = copy_file_range(probeIn, &offset, probeOut, nullptr, 1, 0);
    const int probeError = errno;
    close(probeIn);
    close(probeOut);
    if (probed >= 0) {
        GTEST_SKIP() << "copy_file_range copies between these file systems";
    }
    ASSERT_EQ(probeError, EXDEV);

    InputFile in;
    ASSERT_TRUE(in.Open(inPath));
    OutputFile out;
    ASSERT_TRUE(out.Create(Path("out")));
    out.Write("head", 4);
    ASSERT_TRUE(in.Seek(100));
    EXPECT_EQ(CopyBytes(in, out, 2'000'000), 2'000'000u);
    EXPECT_EQ(in.Position(), 2'000'100);
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(CopyBytes(in, out, 10'000'000), data.size() - 2'000'100);
    EXPECT_TRUE(in.Failed());
    EXPECT_FALSE(in.Error());
    out.Write("tail", 4);
    ASSERT_TRUE(out.Close());
    EXPECT_TRUE(SameBytes(ReadFile("out"), "head" + data.substr(100) + "tail"));
}

TEST_F(FileStreamTest, OutputThatCannotGrowFailsTheCopyOnEveryPath) {
    // A file size limit stops the in-kernel copies and write alike with EFBIG, halfway
    // through, after a tag-like head. Inputs on this file system and on a tmpfs.
    const std::string data = Audio(3 * 1024 * 1024);
    std::vector<std::string> inputs = {Path("in")};
    struct statfs shm, here;
    std::string shmDir;
    if (statfs("/dev/shm", &shm) == 0 && statfs(dir_.c_str(), &here) == 0 &&
        shm.f_type != here.f_type) {
        char pattern[] = "/dev/shm/brambex-streams-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            shmDir = pattern;
            inputs.push_back(shmDir + "/in");
        }
    }
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    for (const std::string& inPath : inputs) {
        std::ofstream(inPath, std::ios::binary) << data;
        InputFile in;
        ASSERT_TRUE(in.Open(inPath));
        OutputFile out;
        ASSERT_TRUE(out.Create(Path("out")));
        out.Write("head", 4);
        struct rlimit limit = saved;
        limit.rlim_cur = 1024 * 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        const std::uint64_t copied = CopyBytes(in, out, data.size());
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(copied, 1024u * 1024u - 4u) << inPath;
        EXPECT_TRUE(out.Failed()) << inPath;
        EXPECT_EQ(out.Error(), std::errc::file_too_large) << inPath;
        EXPECT_FALSE(out.Close()) << inPath;
    }
    std::signal(SIGXFSZ, oldHandler);
    if (!shmDir.empty()) {
        std::system(("rm -rf '" + shmDir + "'").c_str());
    }
}
#endif

TEST_F(FileStreamTest, CopyBytesBetweenMemoryAndFiles) {
    const std::string data = Audio(300000);
    WriteFile("in", data);
    InputFile fileIn;
    ASSERT_TRUE(fileIn.Open(Path("in")));
    std::string sink;
    OutputFile memoryOut;
    memoryOut.CreateMemory(&sink);
    EXPECT_EQ(CopyBytes(fileIn, memoryOut, data.size()), data.size());
    EXPECT_TRUE(SameBytes(sink, data));

    InputFile memoryIn;
    memoryIn.OpenMemory(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    ASSERT_TRUE(memoryIn.Seek(5));
    OutputFile fileOut;
    ASSERT_TRUE(fileOut.Create(Path("out")));
    EXPECT_EQ(CopyBytes(memoryIn, fileOut, 1000), 1000u);
    ASSERT_TRUE(fileOut.Close());
    EXPECT_EQ(ReadFile("out"), data.substr(5, 1000));
}

TEST_F(FileStreamTest, ReadReportsShortCountsAndSeekClearsTheFailedState) {
    WriteFile("in", "0123456789");
    InputFile in;
    ASSERT_TRUE(in.Open(Path("in")));
    char buffer[8];
    EXPECT_EQ(in.Read(buffer, 8), 8u);
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(in.Read(buffer, 8), 2u);
    EXPECT_EQ(in.LastCount(), 2u);
    EXPECT_TRUE(in.Failed());
    EXPECT_FALSE(in.Error());
    ASSERT_TRUE(in.Seek(3));
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(in.Read(buffer, 2), 2u);
    EXPECT_EQ(std::string(buffer, 2), "34");
    EXPECT_FALSE(in.Seek(-1));
}

TEST_F(FileStreamTest, OpenAndCreateFailures) {
    InputFile in;
    EXPECT_FALSE(in.Open(Path("missing")));
    EXPECT_EQ(in.Error(), std::errc::no_such_file_or_directory);
    WriteFile("exists", "x");
    OutputFile out;
    EXPECT_FALSE(out.Create(Path("exists"), true));
    EXPECT_EQ(out.Error(), std::errc::file_exists);
    EXPECT_FALSE(out.Close());
    EXPECT_EQ(ReadFile("exists"), "x");
    EXPECT_TRUE(out.Create(Path("exists")));
    EXPECT_TRUE(out.Close());
    EXPECT_EQ(ReadFile("exists"), "");
}

#ifndef _WIN32
TEST_F(FileStreamTest, FullDiskFailsTheOutputAndCloseReportsIt) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "/dev/full is not available";
    }
    const std::string data = Audio(200000);
    WriteFile("in", data);
    InputFile in;
    ASSERT_TRUE(in.Open(Path("in")));
    OutputFile out;
    ASSERT_TRUE(out.Create("/dev/full"));
    EXPECT_LT(CopyBytes(in, out, data.size()), data.size());
    EXPECT_TRUE(out.Failed());
    EXPECT_EQ(out.Error(), std::errc::no_space_on_device);
    EXPECT_FALSE(out.Close());
}
#endif

// Past the end a move leaves zeros; before it, the writes go over what is there.
TEST_F(FileStreamTest, SeekToLeavesAHoleOrWritesOverTheOutput) {
    for (const bool memory : {false, true}) {
        std::string sink;
        OutputFile out;
        if (memory)
            out.CreateMemory(&sink);
        else
            ASSERT_TRUE(out.Create(Path("out")));
        out.Write("12345", 5);
        EXPECT_TRUE(out.SeekTo(8));
        out.Write("tail", 4);
        EXPECT_TRUE(out.SeekTo(1));
        out.Write("ab", 2);
        EXPECT_TRUE(out.Close());
        EXPECT_EQ(memory ? sink : ReadFile("out"), std::string("1ab45\0\0\0tail", 12)) << memory;
    }
}

TEST_F(FileStreamTest, SmallWritesReachTheFileInOrderAndTheirFailureByClose) {
    // Small writes are gathered; a copy between them and the end must keep the order,
    // and a failure of gathered bytes must still fail Close.
    const std::string data = Audio(100000);
    WriteFile("in", data);
    std::string expected;
    {
        InputFile in;
        ASSERT_TRUE(in.Open(Path("in")));
        OutputFile out;
        ASSERT_TRUE(out.Create(Path("out")));
        for (int i = 0; i < 3000; ++i) {
            const std::string piece = std::to_string(i) + ",";
            out.Write(piece.data(), piece.size());
            expected += piece;
            if (i == 1000) {
                EXPECT_EQ(CopyBytes(in, out, data.size()), data.size());
                expected += data;
            }
        }
        EXPECT_TRUE(out.Close());
    }
    EXPECT_TRUE(SameBytes(ReadFile("out"), expected));
    if (access("/dev/full", W_OK) == 0) {
        OutputFile full;
        ASSERT_TRUE(full.Create("/dev/full"));
        full.Write("x", 1);
        EXPECT_FALSE(full.Close());
        EXPECT_EQ(full.Error(), std::errc::no_space_on_device);
    }
}

}  // namespace
}  // namespace brambex::testing
