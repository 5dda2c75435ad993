#include "tags/tag_stream.h"

#include <algorithm>
#include <cstring>

namespace brambex {

bool TagStream::Holds(const InputFile& in, std::int64_t start, std::int64_t end) const {
    return in_ == &in && bufferStart_ >= 0 && start >= bufferStart_ && end >= start &&
           end <= bufferStart_ + static_cast<std::int64_t>(chunkSize_);
}

void TagStream::Open(InputFile& in, std::int64_t start, std::int64_t end, bool unsynchronised) {
    unsynchronised_ = unsynchronised;
    afterFF_ = false;
    if (in_ == &in && bufferStart_ == start &&
        end == start + static_cast<std::int64_t>(chunkSize_)) {
        // The same stretch again, all of it buffered.
        start_ = start;
        end_ = end;
        position_ = end;
        chunkPos_ = 0;
        return;
    }
    in_ = &in;
    start_ = start;
    position_ = start;
    end_ = std::max(start, end);
    data_ = own_;
    bufferStart_ = -1;
    chunkSize_ = 0;
    chunkPos_ = 0;
}

void TagStream::OpenWithin(const TagStream& whole, InputFile& in, std::int64_t start,
                           std::int64_t end, bool unsynchronised) {
    if (!whole.Holds(in, start, end)) {
        Open(in, start, end, unsynchronised);
        return;
    }
    in_ = &in;
    unsynchronised_ = unsynchronised;
    afterFF_ = false;
    start_ = start;
    end_ = end;
    position_ = end;
    data_ = whole.data_ + (start - whole.bufferStart_);
    bufferStart_ = start;
    chunkSize_ = static_cast<std::size_t>(end - start);
    chunkPos_ = 0;
}

void TagStream::Forget() {
    in_ = nullptr;
    data_ = own_;
    bufferStart_ = -1;
    chunkSize_ = 0;
    chunkPos_ = 0;
    position_ = end_ = start_;
}

std::int64_t TagStream::Position() const {
    return position_ - static_cast<std::int64_t>(chunkSize_ - chunkPos_);
}

void TagStream::Rewind(const Mark& mark) {
    afterFF_ = mark.afterFF;
    const std::int64_t buffered = bufferStart_ + static_cast<std::int64_t>(chunkSize_);
    if (bufferStart_ >= 0 && mark.position >= bufferStart_ && mark.position <= buffered) {
        // Bytes read past the buffer went straight to a caller: they are read again.
        chunkPos_ = static_cast<std::size_t>(mark.position - bufferStart_);
        position_ = buffered;
        return;
    }
    data_ = own_;
    bufferStart_ = -1;
    chunkSize_ = 0;
    chunkPos_ = 0;
    position_ = mark.position;
}

bool TagStream::WholeAtOnce() const {
    return position_ == start_ && end_ - start_ <= static_cast<std::int64_t>(WholeSize);
}

bool TagStream::Fill() {
    // A stretch that fits is read whole from its start; otherwise a block at a time.
    const std::int64_t left = end_ - position_;
    const auto want = static_cast<std::size_t>(
        WholeAtOnce() ? left : std::min<std::int64_t>(left, static_cast<std::int64_t>(BlockSize)));
    if (want == 0) {
        return false;
    }
    in_->Seek(position_);
    data_ = own_;
    bufferStart_ = position_;
    chunkSize_ = in_->Read(own_, want);
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
    std::memcpy(out, data_ + chunkPos_, got);
    chunkPos_ += got;
    return got;
}

std::size_t TagStream::Read(unsigned char* out, std::size_t n) {
    std::size_t got = 0;
    if (!unsynchronised_) {
        // Plain stretches: frame headers and short frames come from the buffer, so that
        // a tag costs a read or a few instead of two per frame; in a stretch read a
        // block at a time, what is longer than a block goes straight into the caller's.
        got = TakeBuffered(out, n);
        if (got == n) {
            return got;
        }
        if (n - got < BlockSize || WholeAtOnce()) {
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
        const unsigned char c = data_[chunkPos_++];
        if (unsynchronised_ && afterFF_ && c == 0) {
            afterFF_ = false;
            continue;
        }
        afterFF_ = c == 0xFF;
        out[got++] = c;
    }
    return got;
}

const unsigned char* TagStream::TakeInPlace(std::uint64_t n) {
    if (unsynchronised_ || n > chunkSize_ - chunkPos_) {
        return nullptr;
    }
    const unsigned char* bytes = data_ + chunkPos_;
    chunkPos_ += static_cast<std::size_t>(n);
    return bytes;
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
