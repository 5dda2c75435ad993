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
#include "tags/mp3_pass.h"

namespace brambex {

namespace {

constexpr std::int64_t MinimumAudio = 4096;
constexpr std::size_t HoldBackBlock = 64 * 1024;

// One copy of the audio and what follows it, from `audioStart` into the tail's record.
class AudioCopy {
  public:
    AudioCopy(InputFile& in, std::int64_t audioStart, AudioTail& tail, PassReport& report)
        : in_(in), audioStart_(audioStart), tail_(tail), report_(report) {}
    bool FindTagsAfterAudio();
    bool CopyKnownLength(OutputFile* out, const TagEdits& edits);
    bool CopyToEnd(OutputFile* out);

  private:
    bool FindTagBefore(const unsigned char* last);
    void FindTrailerBeforeApeTag();
    bool CopyTagsAfterAudio(OutputFile& out, const TagEdits& edits);
    // The last 128 bytes are a trailer only when they say so; otherwise they are audio,
    // and the output gets a fresh trailer.
    void KeepTrailer(const unsigned char* last) { tail_.hadTrailer = tail_.trailer.Read(last); }

    InputFile& in_;
    const std::int64_t audioStart_;
    AudioTail& tail_;
    PassReport& report_;
};

}  // namespace

bool CopyAudio(InputFile& in, OutputFile* out, const InputTags& tags, const TagEdits& edits,
               AudioTail& tail, PassReport& report) {
    const std::int64_t start = tags.audioStart;
    in.Seek(start);
    const std::int64_t size = in.Size();
    tail.inputSize = size;
    tail.audioEnd = -1;
    tail.ape.Forget();
    tail.lyrics.Forget();
    // The header checked the declared tag against the input's size; an input that has
    // since shrunk below the tag's end has lost its audio, and a track of tag and
    // trailer alone must not pass for a rewritten one.
    if (size >= 0 && size < start) {
        report.ShortInput(in, out);
        return false;
    }
    // Where the size cannot be told, APE tags and Lyrics3v2 blocks are not looked for:
    // the end is only known once everything before it has been copied.
    AudioCopy copy(in, start, tail, report);
    const bool copied = size >= 0 ? copy.FindTagsAfterAudio() && copy.CopyKnownLength(out, edits)
                                  : copy.CopyToEnd(out);
    report.CheckStreams(&in, out);
    return copied && !report.Failed();
}

// Where the audio would end if it started at `from`: before the trailer, an APE tag and
// a Lyrics3v2 block. Quietly: the copy finds them again and says what it finds then.
std::int64_t AudioEndAfter(InputFile& in, std::int64_t from, PassReport& report) {
    NoDiagnostics quiet;
    DiagnosticSink& diagnostics = report.Redirect(quiet);
    AudioTail tail;
    tail.inputSize = in.Size();
    const std::int64_t end =
        AudioCopy(in, from, tail, report).FindTagsAfterAudio() ? tail.audioEnd : from;
    report.Redirect(diagnostics);
    return end;
}

// Reads the input's end once: the trailer and the 32 bytes before it. From there, an
// APE tag and a Lyrics3v2 block, in either order, move the end of the audio back.
bool AudioCopy::FindTagsAfterAudio() {
    unsigned char tail[Trailer::Size + ApeTag::FooterSize];
    auto n = static_cast<std::size_t>(std::min<std::int64_t>(
        tail_.inputSize - audioStart_, static_cast<std::int64_t>(sizeof tail)));
    in_.Seek(tail_.inputSize - static_cast<std::int64_t>(n));
    if (in_.Read(tail, n) < n) {
        report_.ShortInput(in_, nullptr);
        return false;
    }
    if (n >= Trailer::Size) {
        KeepTrailer(tail + n - Trailer::Size);
    } else {
        tail_.trailer.Reset();
        tail_.hadTrailer = false;
    }
    tail_.audioEnd = tail_.inputSize - (tail_.hadTrailer ? Trailer::Size : 0);
    n -= tail_.hadTrailer ? Trailer::Size : 0;
    for (int found = 0; found < 2; ++found) {
        if (n < ApeTag::FooterSize) {
            n = static_cast<std::size_t>(
                std::min<std::int64_t>(tail_.audioEnd - audioStart_, ApeTag::FooterSize));
            in_.Seek(tail_.audioEnd - static_cast<std::int64_t>(n));
            if (in_.Read(tail, n) < n) {
                report_.ShortInput(in_, nullptr);
                return false;
            }
        }
        if (n < ApeTag::FooterSize || !FindTagBefore(tail + n - ApeTag::FooterSize)) {
            break;
        }
        n = 0;
    }
    report_.CheckStreams(&in_, nullptr);
    return !report_.Failed();
}

// Looks for an APE tag or a Lyrics3v2 block that ends where the audio now ends, with
// `last` the 32 bytes there. One that cannot be read stays audio.
bool AudioCopy::FindTagBefore(const unsigned char* last) {
    if (!tail_.ape.Found() && ApeTag::IsFooter(last)) {
        if (tail_.ape.Read(in_, last, audioStart_, tail_.audioEnd)) {
            tail_.audioEnd = tail_.ape.Start();
            FindTrailerBeforeApeTag();
            return true;
        }
        if (!in_.Error()) {
            WriteDiagnostic(report_.Sink(), "APE tag cannot be read: kept as audio");
        }
        return false;
    }
    // Lyrics3v2 is defined only in front of an ID3v1 trailer.
    const unsigned char* end = last + ApeTag::FooterSize - Lyrics3Block::EndSize;
    if (tail_.hadTrailer && !tail_.lyrics.Found() && Lyrics3Block::IsEnd(end)) {
        if (tail_.lyrics.Read(in_, end, audioStart_, tail_.audioEnd)) {
            tail_.audioEnd = tail_.lyrics.Start();
            return true;
        }
        if (!in_.Error()) {
            WriteDiagnostic(report_.Sink(), "Lyrics3v2 block cannot be read: kept as audio");
        }
    }
    return false;
}

// mutagen adds an APE tag after the trailer a track has already. That trailer is the
// track's own; the output puts it after the APE tag, where readers look for it.
void AudioCopy::FindTrailerBeforeApeTag() {
    unsigned char last[Trailer::Size];
    if (tail_.hadTrailer || tail_.audioEnd - audioStart_ < Trailer::Size) {
        return;
    }
    in_.Seek(tail_.audioEnd - Trailer::Size);
    if (in_.Read(last, sizeof last) == sizeof last) {
        KeepTrailer(last);
        tail_.audioEnd -= tail_.hadTrailer ? Trailer::Size : 0;
    }
}

bool AudioCopy::CopyKnownLength(OutputFile* out, const TagEdits& edits) {
    const std::int64_t audio = tail_.audioEnd - audioStart_;
    if (audio + (tail_.hadTrailer ? Trailer::Size : 0) < MinimumAudio) {
        WriteDiagnostic(report_.Sink(), "Not enough MP3 data!");
    }
    in_.Seek(audioStart_);
    if (out == nullptr) {
        // A reading pass stands in for a copy (a dry run): an input cut since its end
        // was read fails it as it would fail the copy.
        if (in_.Size() < tail_.inputSize) {
            report_.ShortInput(in_, out);
            return false;
        }
        return true;
    }
    const auto body = static_cast<std::uint64_t>(audio);
    if (CopyBytes(in_, *out, body) < body || !CopyTagsAfterAudio(*out, edits)) {
        report_.ShortInput(in_, out);
        return false;
    }
    return true;
}

// The APE tag, edited, and the Lyrics3v2 block, as it is, in the input's order.
bool AudioCopy::CopyTagsAfterAudio(OutputFile& out, const TagEdits& edits) {
    const auto copyLyrics = [&] {
        const auto size = static_cast<std::uint64_t>(tail_.lyrics.End() - tail_.lyrics.Start());
        in_.Seek(tail_.lyrics.Start());
        return !tail_.lyrics.Found() || CopyBytes(in_, out, size) == size;
    };
    const auto writeApe = [&] { return !tail_.ape.Found() || tail_.ape.Write(in_, out, edits); };
    if (tail_.lyrics.Found() && tail_.ape.Found() && tail_.lyrics.Start() > tail_.ape.Start()) {
        return writeApe() && copyLyrics();
    }
    return copyLyrics() && writeApe();
}

// For inputs whose size cannot be told: the last 128 bytes seen are always held back
// at the front of the block until the next read shows whether more follow.
bool AudioCopy::CopyToEnd(OutputFile* out) {
    unsigned char block[HoldBackBlock + Trailer::Size];
    std::size_t held = 0;
    std::int64_t total = 0;
    for (;;) {
        const std::size_t got = in_.Read(block + held, HoldBackBlock);
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
    if (in_.Error()) {
        return false;
    }
    // Without a size the declared tag could not be checked against the input. One that
    // ends inside the tag has had its audio taken for frames and padding.
    if (total == 0 && audioStart_ > 0) {
        unsigned char lastTagByte;
        in_.Seek(audioStart_ - 1);
        if (in_.Read(&lastTagByte, 1) < 1) {
            report_.ShortInput(in_, out);
            return false;
        }
    }
    if (total < MinimumAudio) {
        WriteDiagnostic(report_.Sink(), "Not enough MP3 data!");
    }
    if (held < Trailer::Size) {
        if (out != nullptr) {
            out->Write(block, held);
        }
        tail_.trailer.Reset();
        return true;
    }
    KeepTrailer(block);
    if (!tail_.hadTrailer && out != nullptr) {
        out->Write(block, Trailer::Size);
    }
    return true;
}

}  // namespace brambex
