#include "tags/tag_stream.h"

#include <algorithm>
#include <cstring>

namespace brambex {

void TagStream::Open(InputFile& in, std::int64_t start, std::int64_t end, bool unsynchronised) {
    in_ = &in;
    position_ = start;
    end_ = std::max(start, end);
    unsynchronised_ = unsynchronised;
    afterFF_ = false;
    chunkSize_ = 0;
    chunkPos_ = 0;
}

std::int64_t TagStream::Position() const {
    return position_ - static_cast<std::int64_t>(chunkSize_ - chunkPos_);
}

bool TagStream::Fill() {
    const auto want = static_cast<std::size_t>(
        std::min<std::int64_t>(end_ - position_, static_cast<std::int64_t>(sizeof chunk_)));
    if (want == 0) {
        return false;
    }
    in_->Seek(position_);
    chunkSize_ = in_->Read(chunk_, want);
    chunkPos_ = 0;
    position_ += static_cast<std::int64_t>(chunkSize_);
    if (chunkSize_ < want) {
        // The input ended or failed inside the stretch: nothing more comes from it.
        end_ = position_;
    }
    return chunkSize_ > 0;
}

std::size_t TagStream::Read(unsigned char* out, std::size_t n) {
    std::size_t got = 0;
    if (!unsynchronised_ && chunkPos_ == chunkSize_) {
        // Plain stretches are read straight into the caller's buffer.
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(end_ - position_, std::int64_t(n)));
        in_->Seek(position_);
        got = want > 0 ? in_->Read(out, want) : 0;
        position_ += static_cast<std::int64_t>(got);
        if (got < want) {
            end_ = position_;
        }
        return got;
    }
    while (got < n) {
        if (chunkPos_ == chunkSize_ && !Fill()) {
            break;
        }
        const unsigned char c = chunk_[chunkPos_++];
        if (unsynchronised_ && afterFF_ && c == 0) {
            afterFF_ = false;
            continue;
        }
        afterFF_ = c == 0xFF;
        out[got++] = c;
    }
    return got;
}

bool TagStream::Skip(std::uint64_t n) {
    if (!unsynchronised_ && chunkPos_ == chunkSize_) {
        if (n > static_cast<std::uint64_t>(end_ - position_)) {
            position_ = end_;
            return false;
        }
        position_ += static_cast<std::int64_t>(n);
        return true;
    }
    unsigned char scratch[512];
    while (n > 0) {
        const std::size_t step =
            static_cast<std::size_t>(std::min<std::uint64_t>(n, sizeof scratch));
        const std::size_t got = Read(scratch, step);
        n -= got;
        if (got < step) {
            return false;
        }
    }
    return true;
}

}  // namespace brambex
