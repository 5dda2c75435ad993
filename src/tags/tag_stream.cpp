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

std::size_t TagStream::TakeBuffered(unsigned char* out, std::size_t n) {
    const std::size_t got = std::min(n, chunkSize_ - chunkPos_);
    std::memcpy(out, chunk_ + chunkPos_, got);
    chunkPos_ += got;
    return got;
}

std::size_t TagStream::Read(unsigned char* out, std::size_t n) {
    std::size_t got = 0;
    if (!unsynchronised_) {
        // Plain stretches: frame headers and short frames come from the buffer, filled a
        // block at a time, so that a tag costs a few reads instead of two per frame;
        // what is longer than the buffer goes straight into the caller's.
        got = TakeBuffered(out, n);
        if (got == n) {
            return got;
        }
        if (n - got < sizeof chunk_) {
            return Fill() ? got + TakeBuffered(out + got, n - got) : got;
        }
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(end_ - position_, static_cast<std::int64_t>(n - got)));
        in_->Seek(position_);
        const std::size_t direct = want > 0 ? in_->Read(out + got, want) : 0;
        position_ += static_cast<std::int64_t>(direct);
        if (direct < want) {
            end_ = position_;
        }
        return got + direct;
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
    if (!unsynchronised_) {
        const auto buffered =
            static_cast<std::size_t>(std::min<std::uint64_t>(n, chunkSize_ - chunkPos_));
        chunkPos_ += buffered;
        n -= buffered;
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
