// The audio part of a pass: everything after the input tag (all of the input when it
// has none that can be walked), copied in one sequential run, with the last 128 bytes
// held back when they are an ID3v1 trailer. An APE tag and a Lyrics3v2 block between
// the audio and the trailer are not audio: the APE tag is written with the pass's
// edits, the Lyrics3v2 block as it is. Regular files are copied in the kernel where it
// can; other inputs through a fixed block.
#include <algorithm>
#include <cstring>
#include <utility>

#include "tags/diagnostic.h"
#include "tags/mp3.h"

namespace brambex {

namespace {

constexpr std::int64_t MinimumAudio = 4096;
constexpr std::size_t HoldBackBlock = 64 * 1024;

}  // namespace

bool MP3::CopyAudio(InputFile& in, OutputFile* out, const TagEdits& edits) {
    const std::int64_t start = audioStart_;
    in.Seek(start);
    const std::int64_t size = in.Size();
    inputSize_ = size;
    audioEnd_ = -1;
    ape_.Forget();
    lyrics_.Forget();
    // The header checked the declared tag against the input's size; an input that has
    // since shrunk below the tag's end has lost its audio, and a track of tag and
    // trailer alone must not pass for a rewritten one.
    if (size >= 0 && size < start) {
        ReportShortInput(in, out);
        return false;
    }
    // Where the size cannot be told, APE tags and Lyrics3v2 blocks are not looked for:
    // the end is only known once everything before it has been copied.
    const bool copied =
        size >= 0 ? FindTagsAfterAudio(in) && CopyKnownLength(in, out, edits) : CopyToEnd(in, out);
    CheckStreams(&in, out);
    return copied && !failed_;
}

// Where the audio would end if it started at `from`: before the trailer, an APE tag and
// a Lyrics3v2 block. Quietly: the copy finds them again and says what it finds then.
std::int64_t MP3::AudioEndAfter(InputFile& in, std::int64_t from) {
    NoDiagnostics quiet;
    DiagnosticSink* const diagnostics = std::exchange(diagnostics_, &quiet);
    const std::int64_t start = audioStart_;
    audioStart_ = from;
    inputSize_ = in.Size();
    ape_.Forget();
    lyrics_.Forget();
    const std::int64_t end = FindTagsAfterAudio(in) ? audioEnd_ : from;
    audioStart_ = start;
    ape_.Forget();
    lyrics_.Forget();
    diagnostics_ = diagnostics;
    return end;
}

// Reads the input's end once: the trailer and the 32 bytes before it. From there, an
// APE tag and a Lyrics3v2 block, in either order, move the end of the audio back.
bool MP3::FindTagsAfterAudio(InputFile& in) {
    unsigned char tail[Trailer::Size + ApeTag::FooterSize];
    auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(inputSize_ - audioStart_, static_cast<std::int64_t>(sizeof tail)));
    in.Seek(inputSize_ - static_cast<std::int64_t>(n));
    if (in.Read(tail, n) < n) {
        ReportShortInput(in, nullptr);
        return false;
    }
    if (n >= Trailer::Size) {
        KeepTrailer(tail + n - Trailer::Size);
    } else {
        trailer_.Reset();
        inputHadTrailer_ = false;
    }
    audioEnd_ = inputSize_ - (inputHadTrailer_ ? Trailer::Size : 0);
    n -= inputHadTrailer_ ? Trailer::Size : 0;
    for (int found = 0; found < 2; ++found) {
        if (n < ApeTag::FooterSize) {
            n = static_cast<std::size_t>(
                std::min<std::int64_t>(audioEnd_ - audioStart_, ApeTag::FooterSize));
            in.Seek(audioEnd_ - static_cast<std::int64_t>(n));
            if (in.Read(tail, n) < n) {
                ReportShortInput(in, nullptr);
                return false;
            }
        }
        if (n < ApeTag::FooterSize || !FindTagBefore(in, tail + n - ApeTag::FooterSize)) {
            break;
        }
        n = 0;
    }
    CheckStreams(&in, nullptr);
    return !failed_;
}

// Looks for an APE tag or a Lyrics3v2 block that ends where the audio now ends, with
// `last` the 32 bytes there. One that cannot be read stays audio.
bool MP3::FindTagBefore(InputFile& in, const unsigned char* last) {
    if (!ape_.Found() && ApeTag::IsFooter(last)) {
        if (ape_.Read(in, last, audioStart_, audioEnd_)) {
            audioEnd_ = ape_.Start();
            FindTrailerBeforeApeTag(in);
            return true;
        }
        if (!in.Error()) {
            WriteDiagnostic(*diagnostics_, "APE tag cannot be read: kept as audio");
        }
        return false;
    }
    // Lyrics3v2 is defined only in front of an ID3v1 trailer.
    const unsigned char* end = last + ApeTag::FooterSize - Lyrics3Block::EndSize;
    if (inputHadTrailer_ && !lyrics_.Found() && Lyrics3Block::IsEnd(end)) {
        if (lyrics_.Read(in, end, audioStart_, audioEnd_)) {
            audioEnd_ = lyrics_.Start();
            return true;
        }
        if (!in.Error()) {
            WriteDiagnostic(*diagnostics_, "Lyrics3v2 block cannot be read: kept as audio");
        }
    }
    return false;
}

// mutagen adds an APE tag after the trailer a track has already. That trailer is the
// track's own; the output puts it after the APE tag, where readers look for it.
void MP3::FindTrailerBeforeApeTag(InputFile& in) {
    unsigned char last[Trailer::Size];
    if (inputHadTrailer_ || audioEnd_ - audioStart_ < Trailer::Size) {
        return;
    }
    in.Seek(audioEnd_ - Trailer::Size);
    if (in.Read(last, sizeof last) == sizeof last) {
        KeepTrailer(last);
        audioEnd_ -= inputHadTrailer_ ? Trailer::Size : 0;
    }
}

bool MP3::CopyKnownLength(InputFile& in, OutputFile* out, const TagEdits& edits) {
    const std::int64_t audio = audioEnd_ - audioStart_;
    if (audio + (inputHadTrailer_ ? Trailer::Size : 0) < MinimumAudio) {
        WriteDiagnostic(*diagnostics_, "Not enough MP3 data!");
    }
    in.Seek(audioStart_);
    if (out == nullptr) {
        // A reading pass stands in for a copy (a dry run): an input cut since its end
        // was read fails it as it would fail the copy.
        if (in.Size() < inputSize_) {
            ReportShortInput(in, out);
            return false;
        }
        return true;
    }
    const auto body = static_cast<std::uint64_t>(audio);
    if (CopyBytes(in, *out, body) < body || !CopyTagsAfterAudio(in, *out, edits)) {
        ReportShortInput(in, out);
        return false;
    }
    return true;
}

// The APE tag, edited, and the Lyrics3v2 block, as it is, in the input's order.
bool MP3::CopyTagsAfterAudio(InputFile& in, OutputFile& out, const TagEdits& edits) {
    const auto copyLyrics = [&] {
        const auto size = static_cast<std::uint64_t>(lyrics_.End() - lyrics_.Start());
        in.Seek(lyrics_.Start());
        return !lyrics_.Found() || CopyBytes(in, out, size) == size;
    };
    const auto writeApe = [&] { return !ape_.Found() || ape_.Write(in, out, edits); };
    if (lyrics_.Found() && ape_.Found() && lyrics_.Start() > ape_.Start()) {
        return writeApe() && copyLyrics();
    }
    return copyLyrics() && writeApe();
}

// For inputs whose size cannot be told: the last 128 bytes seen are always held back
// at the front of the block until the next read shows whether more follow.
bool MP3::CopyToEnd(InputFile& in, OutputFile* out) {
    unsigned char block[HoldBackBlock + Trailer::Size];
    std::size_t held = 0;
    std::int64_t total = 0;
    for (;;) {
        const std::size_t got = in.Read(block + held, HoldBackBlock);
        total += static_cast<std::int64_t>(got);
        const std::size_t filled = held + got;
        if (filled > Trailer::Size) {
            if (out != nullptr) {
                out->Write(block, filled - Trailer::Size);
            }
            std::memmove(block, block + filled - Trailer::Size, Trailer::Size);
            held = Trailer::Size;
        } else {
            held = filled;
        }
        if (got < HoldBackBlock) {
            break;
        }
    }
    if (in.Error()) {
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
        WriteDiagnostic(*diagnostics_, "Not enough MP3 data!");
    }
    if (held < Trailer::Size) {
        if (out != nullptr) {
            out->Write(block, held);
        }
        trailer_.Reset();
        return true;
    }
    KeepTrailer(block);
    if (!inputHadTrailer_ && out != nullptr) {
        out->Write(block, Trailer::Size);
    }
    return true;
}

// The last 128 bytes are a trailer only when they say so; otherwise they are audio,
// and the output gets a fresh trailer.
void MP3::KeepTrailer(const unsigned char* last) {
    inputHadTrailer_ = trailer_.Read(last);
}

}  // namespace brambex
