// The audio part of a pass: everything after the input tag (all of the input when it
// has none that can be walked), copied in one sequential run, with the last 128 bytes
// held back when they are an ID3v1 trailer. Regular files are copied in the kernel
// where it can; other inputs through a fixed block.
#include <algorithm>
#include <cstring>

#include "tags/diagnostic.h"
#include "tags/mp3.h"

namespace brambex {

namespace {

constexpr std::int64_t MinimumAudio = 4096;
constexpr std::size_t HoldBackBlock = 64 * 1024;

}  // namespace

bool MP3::CopyAudio(InputFile& in, OutputFile* out) {
    const std::int64_t start = audioStart_;
    in.Seek(start);
    const std::int64_t size = in.Size();
    inputSize_ = size;
    // The header checked the declared tag against the input's size; an input that has
    // since shrunk below the tag's end has lost its audio, and a track of tag and
    // trailer alone must not pass for a rewritten one.
    if (size >= 0 && size < start) {
        ReportShortInput(in, out);
        return false;
    }
    const bool copied = size >= 0
                            ? CopyKnownLength(in, out, std::max<std::int64_t>(size - start, 0))
                            : CopyToEnd(in, out);
    CheckStreams(&in, out);
    return copied && !failed_;
}

bool MP3::CopyKnownLength(InputFile& in, OutputFile* out, std::int64_t audio) {
    if (audio < MinimumAudio) {
        WriteDiagnostic("Not enough MP3 data!");
    }
    const std::int64_t start = in.Position();
    const auto body =
        static_cast<std::uint64_t>(audio >= TrailerSize ? audio - TrailerSize : audio);
    if (out != nullptr) {
        if (CopyBytes(in, *out, body) < body) {
            ReportShortInput(in, out);
            return false;
        }
    } else {
        in.Seek(start + static_cast<std::int64_t>(body));
    }
    if (audio < TrailerSize) {
        trailer_.Reset();
        return true;
    }
    unsigned char last[TrailerSize];
    if (in.Read(last, sizeof last) < sizeof last) {
        ReportShortInput(in, out);
        return false;
    }
    KeepTrailer(last);
    if (!inputHadTrailer_ && out != nullptr) {
        out->Write(last, sizeof last);
    }
    return true;
}

// For inputs whose size cannot be told: the last 128 bytes seen are always held back
// at the front of the block until the next read shows whether more follow.
bool MP3::CopyToEnd(InputFile& in, OutputFile* out) {
    unsigned char block[HoldBackBlock + TrailerSize];
    std::size_t held = 0;
    std::int64_t total = 0;
    for (;;) {
        const std::size_t got = in.Read(block + held, HoldBackBlock);
        total += static_cast<std::int64_t>(got);
        const std::size_t filled = held + got;
        if (filled > TrailerSize) {
            if (out != nullptr) {
                out->Write(block, filled - TrailerSize);
            }
            std::memmove(block, block + filled - TrailerSize, TrailerSize);
            held = TrailerSize;
        } else {
            held = filled;
        }
        if (got < HoldBackBlock) {
            break;
        }
    }
    if (in.Error() != 0) {
        return false;
    }
    // Without a size the declared tag could not be checked against the input. One that
    // ends inside the tag has had its audio taken for frames and padding.
    if (total == 0 && audioStart_ > 0) {
        unsigned char lastTagByte;
        in.Seek(audioStart_ - 1);
        if (in.Read(&lastTagByte, 1) < 1) {
            ReportShortInput(in, out);
            return false;
        }
    }
    if (total < MinimumAudio) {
        WriteDiagnostic("Not enough MP3 data!");
    }
    if (held < TrailerSize) {
        if (out != nullptr) {
            out->Write(block, held);
        }
        trailer_.Reset();
        return true;
    }
    KeepTrailer(block);
    if (!inputHadTrailer_ && out != nullptr) {
        out->Write(block, TrailerSize);
    }
    return true;
}

// The last 128 bytes are a trailer only when they say so; otherwise they are audio,
// and the output gets a fresh trailer.
void MP3::KeepTrailer(const unsigned char* last) {
    inputHadTrailer_ = trailer_.Read(last);
}

}  // namespace brambex
