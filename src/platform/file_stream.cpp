// File streams over the system's files (native_file.h). Reads go to our own position,
// so a seek is only a number and the file's offset never matters; writes go through
// the file's offset, which the system's own copy advances too.
#include "platform/file_stream.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>

#include "platform/native_file.h"

namespace brambex {

namespace {

// For the copy through user space, when the system cannot copy; 1 MiB blocks cost
// about what cp's own copy costs.
constexpr std::size_t CopyBlockSize = 1 << 20;
alignas(4096) unsigned char copyBlock[CopyBlockSize];
std::atomic_flag copyBlockBusy = ATOMIC_FLAG_INIT;
// For a copy that finds the large block in use by another thread.
constexpr std::size_t SmallCopyBlockSize = 64 * 1024;
// Where the system's copy of the bulk starts in the output. On ext4 it cost a quarter
// more when it did not start on a 64 KiB boundary of the output: every piece it wrote
// then began inside a page and the output's page cache was built of small pieces. The
// bytes before the boundary are gathered with the tag where they fit, and a file's
// first 64 KiB then go out in one write, which measured cheaper still.
constexpr std::uint64_t KernelCopyAlignment = 64 * 1024;

}  // namespace

InputFile::~InputFile() {
    Close();
}

bool InputFile::Open(const std::string& path) {
    Close();
    std::error_code error;
    const platform::native_file::Handle file = platform::native_file::OpenForReading(path, error);
    if (file == platform::native_file::None) {
        error_ = error;
        failed_ = true;
        return false;
    }
    file_ = file;
    return true;
}

void InputFile::OpenMemory(const unsigned char* data, std::size_t size, bool sizeKnown) {
    Close();
    inMemory_ = true;
    sizeKnown_ = sizeKnown;
    memory_ = data;
    memorySize_ = size;
}

bool InputFile::IsOpen() const {
    return file_ != platform::native_file::None || inMemory_;
}

void InputFile::Close() {
    if (file_ != platform::native_file::None) {
        std::error_code ignored;
        platform::native_file::Close(file_, ignored);
    }
    file_ = platform::native_file::None;
    inMemory_ = false;
    sizeKnown_ = true;
    memory_ = nullptr;
    memorySize_ = 0;
    position_ = 0;
    lastCount_ = 0;
    failed_ = false;
    error_.clear();
}

std::size_t InputFile::Read(void* buffer, std::size_t n) {
    std::size_t got = 0;
    if (inMemory_) {
        if (position_ >= 0 && static_cast<std::uint64_t>(position_) < memorySize_) {
            got = std::min<std::size_t>(n, memorySize_ - static_cast<std::size_t>(position_));
            std::memcpy(buffer, memory_ + position_, got);
        }
    } else if (file_ == platform::native_file::None) {
        error_ = std::make_error_code(std::errc::bad_file_descriptor);
    } else {
        auto* bytes = static_cast<unsigned char*>(buffer);
        while (got < n) {
            std::error_code error;
            const std::int64_t r = platform::native_file::ReadAt(
                file_, bytes + got, n - got, position_ + static_cast<std::int64_t>(got), error);
            if (r > 0) {
                got += static_cast<std::size_t>(r);
            } else {
                if (r < 0) {
                    error_ = error;
                }
                break;
            }
        }
    }
    position_ += static_cast<std::int64_t>(got);
    lastCount_ = got;
    if (got < n) {
        failed_ = true;
    }
    return got;
}

bool InputFile::Seek(std::int64_t offset) {
    if (offset < 0 || !IsOpen()) {
        failed_ = true;
        return false;
    }
    position_ = offset;
    failed_ = false;
    return true;
}

std::int64_t InputFile::Size() const {
    if (inMemory_) {
        return sizeKnown_ ? static_cast<std::int64_t>(memorySize_) : -1;
    }
    return file_ == platform::native_file::None ? -1 : platform::native_file::Size(file_);
}

OutputFile::~OutputFile() {
    Abandon();
}

// Puts out what was gathered and closes the file without a verdict: the caller is
// done with it whatever happens.
void OutputFile::Abandon() {
    if (file_ != platform::native_file::None) {
        Flush();
        std::error_code ignored;
        platform::native_file::Close(file_, ignored);
    }
    file_ = platform::native_file::None;
}

bool OutputFile::Create(const std::string& path, bool exclusive) {
    Abandon();
    gatheredBytes_ = 0;
    memory_ = nullptr;
    failed_ = false;
    error_.clear();
    std::error_code error;
    const platform::native_file::Handle file =
        platform::native_file::Create(path, exclusive, error);
    if (file == platform::native_file::None) {
        open_ = false;
        Fail(error);
        return false;
    }
    file_ = file;
    bytesWritten_ = 0;
    const platform::native_file::Storage storage = platform::native_file::StorageOf(file);
    blockSize_ = storage.blockSize;
    sharesBlocks_ = storage.sharesBlocks;
    open_ = true;
    return true;
}

void OutputFile::CreateMemory(std::string* sink, std::size_t limit) {
    Abandon();
    gatheredBytes_ = 0;
    sink->clear();
    memory_ = sink;
    memoryLimit_ = limit;
    bytesWritten_ = 0;
    blockSize_ = platform::native_file::DefaultBlockSize;
    sharesBlocks_ = false;
    open_ = true;
    failed_ = false;
    error_.clear();
}

bool OutputFile::IsOpen() const {
    return open_;
}

void OutputFile::Fail(std::error_code error) {
    if (!failed_) {
        failed_ = true;
        error_ = error;
    }
}

std::size_t OutputFile::WriteSome(const void* data, std::size_t n) {
    if (failed_) {
        return 0;
    }
    if (!open_) {
        Fail(std::make_error_code(std::errc::bad_file_descriptor));
        return 0;
    }
    if (memory_ != nullptr) {
        const auto at = static_cast<std::size_t>(bytesWritten_);
        const std::size_t room = memoryLimit_ - std::min(memoryLimit_, at);
        const std::size_t stored = std::min(room, n);
        memory_->replace(at, std::min(stored, memory_->size() - at), static_cast<const char*>(data),
                         stored);
        bytesWritten_ += stored;
        if (stored < n) {
            Fail(std::make_error_code(std::errc::no_space_on_device));
        }
        return stored;
    }
    if (gatheredBytes_ + n <= GatherSize) {
        std::memcpy(gathered_ + gatheredBytes_, data, n);
        gatheredBytes_ += n;
        bytesWritten_ += n;
        return n;
    }
    if (!Flush()) {
        return 0;
    }
    if (n < GatherSize) {
        return WriteSome(data, n);
    }
    return WriteThrough(data, n);
}

std::size_t OutputFile::WriteThrough(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < n) {
        std::error_code error;
        const std::int64_t r = platform::native_file::Write(file_, bytes + done, n - done, error);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
        } else {
            Fail(r < 0 ? error : std::make_error_code(std::errc::io_error));
            break;
        }
    }
    bytesWritten_ += done;
    return done;
}

bool OutputFile::Flush() {
    if (gatheredBytes_ > 0 && !failed_) {
        const std::size_t n = gatheredBytes_;
        // They were counted when they were gathered.
        bytesWritten_ -= n;
        WriteThrough(gathered_, n);
    }
    gatheredBytes_ = 0;
    return !failed_;
}

void OutputFile::Write(const void* data, std::size_t n) {
    WriteSome(data, n);
}

bool OutputFile::SeekTo(std::int64_t offset) {
    if (!open_ || failed_ || offset < 0) {
        Fail(std::make_error_code(std::errc::invalid_argument));
        return false;
    }
    if (memory_ != nullptr) {
        if (static_cast<std::uint64_t>(offset) > memory_->size()) {
            memory_->resize(static_cast<std::size_t>(offset), '\0');
        }
    } else {
        std::error_code error;
        if (!Flush() || !platform::native_file::Seek(file_, offset, error)) {
            Fail(error);
            return false;
        }
    }
    bytesWritten_ = static_cast<std::uint64_t>(offset);
    return true;
}

bool OutputFile::Close() {
    if (!open_) {
        if (!error_) {
            Fail(std::make_error_code(std::errc::bad_file_descriptor));
        }
        return false;
    }
    std::error_code error;
    if (file_ != platform::native_file::None) {
        Flush();
        if (!platform::native_file::Close(file_, error)) {
            Fail(error);
        }
    }
    file_ = platform::native_file::None;
    memory_ = nullptr;
    open_ = false;
    return !failed_;
}

// The steps of CopyBytes, by where the bytes come from and how they go.
class ByteCopy {
  public:
    static std::uint64_t Copy(InputFile& in, OutputFile& out, std::uint64_t n) {
        if (out.failed_)
            return 0;
        if (in.inMemory_)
            return FromMemory(in, out, n);
        std::uint64_t copied = 0;
        if (in.file_ != platform::native_file::None && out.file_ != platform::native_file::None) {
            if (InSystem(in, out, n, copied))
                return copied;
        } else if (out.file_ != platform::native_file::None && !out.Flush()) {
            // What the output gathered goes first, so that the bytes stay in order.
            return 0;
        }
        return ThroughBlocks(in, out, n, copied);
    }

  private:
    static std::uint64_t FromMemory(InputFile& in, OutputFile& out, std::uint64_t n) {
        const auto start = static_cast<std::uint64_t>(std::max<std::int64_t>(in.position_, 0));
        const std::uint64_t avail = start < in.memorySize_ ? in.memorySize_ - start : 0;
        const std::uint64_t want = std::min(n, avail);
        const std::uint64_t copied =
            out.WriteSome(in.memory_ + start, static_cast<std::size_t>(want));
        in.position_ += static_cast<std::int64_t>(copied);
        in.lastCount_ = static_cast<std::size_t>(copied);
        in.failed_ = copied < n;
        return copied;
    }

    // Between two files: the bytes up to the output's next boundary join what it
    // gathered where they fit, and the system copies the rest as far as it can. The
    // boundary is a block's where the copy can share the input's blocks, else the
    // 64 KiB one. True when the copy ends here; `copied` counts what was copied either
    // way.
    static bool InSystem(InputFile& in, OutputFile& out, std::uint64_t n, std::uint64_t& copied) {
        const bool sharing = Shares(in, out);
        const std::uint64_t alignment = sharing ? out.blockSize_ : KernelCopyAlignment;
        const std::uint64_t lead =
            std::min(n, (alignment - out.bytesWritten_ % alignment) % alignment);
        if (out.gatheredBytes_ + lead <= OutputFile::GatherSize) {
            // Up to the boundary the bytes join what is gathered; at the boundary they all
            // go out in one write.
            const auto want = static_cast<std::size_t>(lead);
            const std::size_t got = in.Read(out.gathered_ + out.gatheredBytes_, want);
            out.gatheredBytes_ += got;
            out.bytesWritten_ += got;
            copied = got;
            if (got < want || copied == n) {
                in.failed_ = copied < n;
                return true;
            }
        }
        // What the output gathered goes first, so that the bytes stay in order. Then the
        // system copies what is left up to the boundary and the rest from there. Any
        // error, a short count or the input's end hands over to the block copy,
        // which tells whether it was the input or the output that failed.
        if (!out.Flush())
            return true;
        const std::uint64_t toBoundary = lead - copied;
        if (toBoundary > 0) {
            const std::uint64_t head =
                platform::native_file::SystemCopy(in.file_, in.position_, out.file_, toBoundary);
            copied += head;
            out.bytesWritten_ += head;
            if (head < toBoundary) {
                if (!sharing)
                    return false;
                // A system that clones whole blocks only (Windows) leaves the head: it goes
                // through user space, and the blocks after it to the system still.
                const std::uint64_t end = copied + toBoundary - head;
                copied = ThroughBlocks(in, out, end, copied);
                if (copied < end || !out.Flush())
                    return true;
            }
        }
        if (copied < n) {
            // Where blocks are shared, the system takes whole blocks: a part block at the
            // end is new data in any case, and through user space it joins the write of
            // what follows (a track's trailer).
            const std::uint64_t rest = n - copied;
            const std::uint64_t bulk = platform::native_file::SystemCopy(
                in.file_, in.position_, out.file_, sharing ? rest - rest % alignment : rest);
            copied += bulk;
            out.bytesWritten_ += bulk;
        }
        return false;
    }

    // Whether the copy can share the input's blocks: the output's file system shares
    // them and a block boundary of the output falls on one of the input.
    static bool Shares(const InputFile& in, const OutputFile& out) {
        return out.sharesBlocks_ && in.position_ >= 0 &&
               static_cast<std::uint64_t>(in.position_) % out.blockSize_ ==
                   out.bytesWritten_ % out.blockSize_;
    }

    // The copy through user space of what the system did not copy, from `copied` on.
    static std::uint64_t ThroughBlocks(InputFile& in, OutputFile& out, std::uint64_t n,
                                       std::uint64_t copied) {
        const bool ownBlock = !copyBlockBusy.test_and_set(std::memory_order_acquire);
        unsigned char smallBlock[SmallCopyBlockSize];
        unsigned char* block = ownBlock ? copyBlock : smallBlock;
        const std::size_t blockSize = ownBlock ? CopyBlockSize : SmallCopyBlockSize;
        while (copied < n) {
            const auto want =
                static_cast<std::size_t>(std::min<std::uint64_t>(n - copied, blockSize));
            const std::size_t got = in.Read(block, want);
            const std::size_t written = out.WriteSome(block, got);
            copied += written;
            if (written < got || got < want)
                break;
        }
        if (ownBlock)
            copyBlockBusy.clear(std::memory_order_release);
        in.failed_ = copied < n;
        return copied;
    }
};

std::uint64_t CopyBytes(InputFile& in, OutputFile& out, std::uint64_t n) {
    return ByteCopy::Copy(in, out, n);
}

}  // namespace brambex
